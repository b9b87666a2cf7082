#include "app/exe_directory.h"

#include <windows.h>

namespace {
// A module path that fills the buffer comes back cut, without a terminating zero: trust only
// the length returned.
int ModulePathLength(DWORD dwReturned) {
  return static_cast<int>(dwReturned < MAX_PATH ? dwReturned : MAX_PATH);
}

// Whether the ANSI form of the program's path names it exactly: letters the code page lacks
// arrive as '?' or as a look-alike, and then it names no folder at all.
bool AnsiFormIsExact(const CString& strAnsi, const WCHAR* pszWide, int nWide) {
  WCHAR back[MAX_PATH];
  const int nBack = MultiByteToWideChar(CP_ACP, 0, strAnsi, strAnsi.GetLength(), back, MAX_PATH);
  if (nBack != nWide) return false;
  for (int i = 0; i < nWide; ++i) {
    if (back[i] != pszWide[i]) return false;
  }
  return true;
}

// The short (8.3) form of the program's path, which is ASCII, in the ANSI code page. False when
// the ANSI form is exact already, or when no better one can be had.
bool ShortAnsiPath(const CString& strAnsi, CString& strShort) {
  // A path that fills the buffer is cut: no short form of it can be had.
  WCHAR wide[MAX_PATH];
  const DWORD nWide = GetModuleFileNameW(nullptr, wide, MAX_PATH);
  if (nWide == 0 || nWide >= MAX_PATH) return false;
  if (AnsiFormIsExact(strAnsi, wide, static_cast<int>(nWide))) return false;

  WCHAR shortWide[MAX_PATH];
  const DWORD nShort = GetShortPathNameW(wide, shortWide, MAX_PATH);
  if (nShort == 0 || nShort >= MAX_PATH) return false;
  char shortAnsi[MAX_PATH];
  const int nAnsi = WideCharToMultiByte(CP_ACP, 0, shortWide, static_cast<int>(nShort), shortAnsi,
                                        MAX_PATH, nullptr, nullptr);
  strShort = CString(shortAnsi, nAnsi);
  // Checked as the long form is: the code page's look-alikes come without a flag.
  return AnsiFormIsExact(strShort, shortWide, static_cast<int>(nShort));
}
}  // namespace

void GetExeDirectory(CString& strDirectory) {
  char path[MAX_PATH];
  const int nLength = ModulePathLength(GetModuleFileNameA(nullptr, path, MAX_PATH));
  CString text(path, nLength);
  CString strShort;
  if (ShortAnsiPath(text, strShort)) text = strShort;
  strDirectory = text.Left(FileNameStart(text));
}
