#include "platform/heap.h"

void* AfxAllocMemory(size_t nBytes) {
  void* p = ::HeapAlloc(::GetProcessHeap(), 0, nBytes);
  if (p == nullptr) AfxFatalExit("Out of memory.");
  return p;
}

void AfxFatalExit(const char* pszReason) {
  ::FatalAppExitA(0, pszReason);
  // FatalAppExitA does not return; the compiler cannot know.
  ::ExitProcess(1);
}

void AfxFreeMemory(void* p) { ::HeapFree(::GetProcessHeap(), 0, p); }
