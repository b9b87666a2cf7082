// Finding files by pattern over FindFirstFileA. After FindFile, each FindNextFile makes the
// next match current; the search closes with the object.
#pragma once

#include <windows.h>

#include "platform/handles.h"
#include "platform/str.h"

class CFileFind {
 public:
  CFileFind() = default;
  CFileFind(const CFileFind&) = delete;
  CFileFind& operator=(const CFileFind&) = delete;

  // TRUE when at least one file matches the pattern.
  BOOL FindFile(const char* pszPattern, DWORD dwFlags = 0);
  // Makes the next match current; TRUE while further matches remain.
  BOOL FindNextFile();
  void Close();

  CString GetFileName() const { return m_found.cFileName; }
  // The searched directory joined with the current file's name.
  CString GetFilePath() const;
  ULONGLONG GetLength() const;
  BOOL IsDirectory() const { return (m_found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

 private:
  FindHandle m_hFind;
  WIN32_FIND_DATAA m_found = {};
  WIN32_FIND_DATAA m_next = {};
  bool m_bHasNext = false;
  CString m_strRoot;
};
