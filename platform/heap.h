// Memory for the framework's strings and objects, from the process heap. A setup program can
// do nothing useful without memory, so a failed allocation ends the process here and no
// caller checks for one.
#pragma once

#include <windows.h>

void* AfxAllocMemory(size_t nBytes);
void AfxFreeMemory(void* p);

// Ends the process at once with the reason in a box: for what the program cannot go on from,
// no memory or a coding mistake that would otherwise corrupt it.
[[noreturn]] void AfxFatalExit(const char* pszReason);
