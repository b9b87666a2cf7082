#include "platform/heap.h"

void* AfxAllocMemory(size_t nBytes) {
  void* p = ::HeapAlloc(::GetProcessHeap(), 0, nBytes);
  if (p == nullptr) ::FatalAppExitA(0, "Out of memory.");
  return p;
}

void AfxFreeMemory(void* p) { ::HeapFree(::GetProcessHeap(), 0, p); }
