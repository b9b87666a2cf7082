// Command routing: each class carries a static table from control id and notification
// code to a member handler, chained to its base class's table.
#pragma once

#include <windows.h>

#include "platform/heap.h"

class CCmdTarget;

// A handler as the tables hold it: a plain function that calls the member on the target.
using AfxHandler = void (*)(CCmdTarget* pTarget);

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

template <typename T>
struct HandlerClass;
template <typename T>
struct HandlerClass<void (T::*)()> {
  using Type = T;
};

template <auto pfn>
void CallHandler(CCmdTarget* pTarget) {
  (static_cast<typename HandlerClass<decltype(pfn)>::Type*>(pTarget)->*pfn)();
}

// Lets a derived class's handler sit in a table of the base class. A function address, unlike
// a member pointer converted to the base, is a constant: the tables need no code to fill them
// in and stay read-only.
template <auto pfn>
constexpr AfxHandler Handler() {
  return &CallHandler<pfn>;
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
