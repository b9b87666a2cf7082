// Move-only owners for the handle kinds the program acquires. Each kind names its invalid
// value and its release call once, here.
#pragma once

#include <windows.h>
#include <setupapi.h>

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return h_; }
  explicit operator bool() const { return Traits::IsValid(h_); }
  // For out-parameters: releases what is held and hands out the slot.
  Handle* put() {
    reset();
    return &h_;
  }
  Handle release() {
    Handle h = h_;
    h_ = Traits::Invalid();
    return h;
  }
  void reset(Handle h = Traits::Invalid()) {
    if (Traits::IsValid(h_)) Traits::Close(h_);
    h_ = h;
  }

 private:
  Handle h_ = Traits::Invalid();
};

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};

struct InfTraits {
  using Handle = HINF;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) { SetupCloseInfFile(h); }
};

struct FileQueueTraits {
  using Handle = HSPFILEQ;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) { SetupCloseFileQueue(h); }
};

struct QueueContextTraits {
  using Handle = PVOID;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { SetupTermDefaultQueueCallback(h); }
};

struct FileTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) { CloseHandle(h); }
};

struct FindTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { FindClose(h); }
};

struct LocalMemoryTraits {
  using Handle = HLOCAL;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { LocalFree(h); }
};

// A block of the process heap taken with HeapAlloc, where the caller handles a failure.
struct HeapMemoryTraits {
  using Handle = void*;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { HeapFree(GetProcessHeap(), 0, h); }
};

using RegKey = UniqueHandle<RegKeyTraits>;
using InfHandle = UniqueHandle<InfTraits>;
using FileQueue = UniqueHandle<FileQueueTraits>;
using QueueContext = UniqueHandle<QueueContextTraits>;
using FileHandle = UniqueHandle<FileTraits>;
using FindHandle = UniqueHandle<FindTraits>;
using LocalMemory = UniqueHandle<LocalMemoryTraits>;
using HeapMemory = UniqueHandle<HeapMemoryTraits>;
