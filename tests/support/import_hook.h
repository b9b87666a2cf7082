// The test seam: replaces one function that this program imports, in its import table, for
// the life of the object. Production code keeps calling the platform by its own names; a
// test swaps in a stand-in where Wine cannot produce a failure for real.
#pragma once

#include <windows.h>

class ImportHook {
 public:
  ImportHook(const char* pszDll, const char* pszFunction, const void* pReplacement);
  template <typename F>
  ImportHook(const char* pszDll, const char* pszFunction, F* pReplacement)
      : ImportHook(pszDll, pszFunction, reinterpret_cast<const void*>(pReplacement)) {}
  ~ImportHook();
  ImportHook(const ImportHook&) = delete;
  ImportHook& operator=(const ImportHook&) = delete;

  bool installed() const { return slot_ != nullptr; }

  // The function that was there before, for stand-ins that pass calls through.
  template <typename F>
  F original() const {
    return reinterpret_cast<F>(original_);
  }

 private:
  void** slot_ = nullptr;
  void* original_ = nullptr;
};
