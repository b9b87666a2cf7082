#include "app/exe_directory.h"

#include <windows.h>

void GetExeDirectory(CString& strDirectory) {
  char path[MAX_PATH];
  // A path that fills the buffer comes back without a terminating zero: trust only the
  // length returned.
  const DWORD len = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const CString text(path, static_cast<int>(len < MAX_PATH ? len : MAX_PATH));
  strDirectory = text.Left(text.ReverseFind('\\') + 1);
}
