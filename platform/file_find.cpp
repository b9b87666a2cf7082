#include "platform/file_find.h"

BOOL CFileFind::FindFile(const char* pszPattern, DWORD) {
  Close();
  m_hFind.reset(::FindFirstFileA(pszPattern, &m_next));
  if (!m_hFind) return FALSE;
  m_bHasNext = true;

  // The pattern's own folder, as the program searches by full path.
  m_strRoot = CString(pszPattern, FileNameStart(pszPattern));
  return TRUE;
}

BOOL CFileFind::FindNextFile() {
  if (!m_bHasNext) return FALSE;
  m_found = m_next;
  m_bHasNext = ::FindNextFileA(m_hFind.get(), &m_next) != FALSE;
  return m_bHasNext ? TRUE : FALSE;
}

void CFileFind::Close() {
  m_hFind.reset();
  m_bHasNext = false;
  m_found = {};
  m_strRoot.Empty();
}

CString CFileFind::GetFilePath() const { return m_strRoot + m_found.cFileName; }

ULONGLONG CFileFind::GetLength() const {
  return (static_cast<ULONGLONG>(m_found.nFileSizeHigh) << 32) | m_found.nFileSizeLow;
}
