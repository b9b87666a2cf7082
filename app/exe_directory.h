#pragma once

#include "platform/str.h"

// The directory of the running program file, ending in a backslash.
void GetExeDirectory(CString& strDirectory);
