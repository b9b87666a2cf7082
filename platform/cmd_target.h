// Command routing: each class carries a static table from control id and notification
// code to a member handler, chained to its base class's table.
#pragma once

#include <windows.h>

#include "platform/heap.h"

class CCmdTarget;

using AfxHandler = void (CCmdTarget::*)();

struct MessageMapEntry {
  UINT nID;
  UINT nCode;
  AfxHandler pfn;
};

struct MessageMap {
  const MessageMap* pBaseMap;
  const MessageMapEntry* pEntries;
  size_t nEntries;
};

// Lets a derived class's handler sit in a table of base-class member pointers.
template <typename T>
constexpr AfxHandler Handler(void (T::*pfn)()) {
  return static_cast<AfxHandler>(pfn);
}

class CCmdTarget {
 public:
  CCmdTarget() = default;
  CCmdTarget(const CCmdTarget&) = delete;
  CCmdTarget& operator=(const CCmdTarget&) = delete;
  virtual ~CCmdTarget() = default;

  // Framework objects come from the heap the strings use, not from a C++ runtime.
  static void* operator new(size_t nBytes) { return AfxAllocMemory(nBytes); }
  static void operator delete(void* p) { AfxFreeMemory(p); }

  virtual const MessageMap* GetMessageMap() const { return nullptr; }

  // Calls the first handler in the chain of maps that takes (id, code); false when none does.
  bool OnCmdMsg(UINT nID, UINT nCode);
};
