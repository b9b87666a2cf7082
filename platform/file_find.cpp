#include "platform/file_find.h"

BOOL CFileFind::FindFile(const char* pszPattern, DWORD) {
  Close();
  m_hFind.reset(::FindFirstFileA(pszPattern, &m_next));
  if (!m_hFind) return FALSE;
  m_bHasNext = true;

  char full[MAX_PATH + 1] = {};
  char* namePart = nullptr;
  const DWORD len = ::GetFullPathNameA(pszPattern, MAX_PATH, full, &namePart);
  if (len > 0 && len < MAX_PATH && namePart != nullptr) {
    m_strRoot = CString(full, static_cast<int>(namePart - full));
  } else {
    const CString pattern(pszPattern);
    const int backslash = pattern.ReverseFind('\\');
    const int slash = pattern.ReverseFind('/');
    m_strRoot = pattern.Left((backslash > slash ? backslash : slash) + 1);
  }
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
