#include "app/exe_directory.h"

#include <windows.h>

void GetExeDirectory(std::string& strDirectory) {
  char path[MAX_PATH];
  // A path that fills the buffer comes back without a terminating zero: trust only the
  // length returned.
  const DWORD len = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text(path, len < MAX_PATH ? len : MAX_PATH);
  const std::string::size_type slash = text.rfind('\\');
  text.erase(slash == std::string::npos ? 0 : slash + 1);
  strDirectory = text;
}
