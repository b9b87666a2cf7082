// Memory for the framework's strings and objects, from the process heap. A setup program can
// do nothing useful without memory, so a failed allocation ends the process here and no
// caller checks for one.
#pragma once

#include <windows.h>

void* AfxAllocMemory(size_t nBytes);
void AfxFreeMemory(void* p);
