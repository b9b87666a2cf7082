#pragma once

#include <string>

// The directory of the running program file, ending in a backslash.
void GetExeDirectory(std::string& strDirectory);
