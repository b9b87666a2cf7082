#include "platform/str.h"

#include <limits.h>
#include <string.h>

#include "platform/heap.h"

char CString::s_chNil = '\0';

namespace {
// Where a length given as an int becomes a size, and the only place: a negative one is a
// coding mistake, and taken as a size it would wrap to a huge one, or to a tiny block. So is a
// length beyond nMost, the room there is.
size_t ToSize(int nLength, size_t nMost = INT_MAX) {
  if (nLength < 0 || static_cast<size_t>(nLength) > nMost) AfxFatalExit("Bad string length.");
  return static_cast<size_t>(nLength);
}

// Every length is 0 to INT_MAX, so the sum of two, and one more for the terminating zero, fits
// a size_t. A text longer than an int can count is refused like memory that cannot be had.
char* NewBlock(size_t nAlloc) {
  if (nAlloc > INT_MAX) AfxFatalExit("Out of memory.");
  return static_cast<char*>(AfxAllocMemory(nAlloc + 1));
}

// Room grows at least twofold, so a text built piece by piece is copied only a few times.
size_t GrownRoom(int nAlloc, size_t nNeeded) {
  size_t nRoom = static_cast<size_t>(nAlloc) * 2;
  if (nRoom < 15) nRoom = 15;
  if (nRoom > INT_MAX) nRoom = INT_MAX;
  return nRoom < nNeeded ? nNeeded : nRoom;
}
}  // namespace

CString::CString(const char* psz) : CString(psz, strlen(psz), nullptr, 0) {}

CString::CString(const char* pch, int nLength) : CString(pch, ToSize(nLength), nullptr, 0) {}

CString::CString(const CString& other)
    : CString(other.m_pchData, static_cast<size_t>(other.m_nLength), nullptr, 0) {}

CString::CString(CString&& other) noexcept
    : m_pchData(other.m_pchData), m_nLength(other.m_nLength), m_nAlloc(other.m_nAlloc) {
  other.m_pchData = &s_chNil;
  other.m_nLength = 0;
  other.m_nAlloc = 0;
}

CString::CString(const char* pch1, size_t nLength1, const char* pch2, size_t nLength2) {
  const size_t nLength = nLength1 + nLength2;
  if (nLength == 0) return;
  char* pchBlock = NewBlock(nLength);
  memcpy(pchBlock, pch1, nLength1);
  if (nLength2 != 0) memcpy(pchBlock + nLength1, pch2, nLength2);
  pchBlock[nLength] = '\0';
  m_pchData = pchBlock;
  m_nLength = m_nAlloc = static_cast<int>(nLength);
}

CString::~CString() {
  if (m_nAlloc != 0) AfxFreeMemory(m_pchData);
}

CString& CString::operator=(const CString& other) {
  if (this != &other) *this = CString(other);
  return *this;
}

CString& CString::operator=(CString&& other) noexcept {
  if (this != &other) {
    if (m_nAlloc != 0) AfxFreeMemory(m_pchData);
    m_pchData = other.m_pchData;
    m_nLength = other.m_nLength;
    m_nAlloc = other.m_nAlloc;
    other.m_pchData = &s_chNil;
    other.m_nLength = 0;
    other.m_nAlloc = 0;
  }
  return *this;
}

CString& CString::operator=(const char* psz) { return *this = CString(psz); }

CString& CString::operator+=(const CString& other) {
  Append(other.m_pchData, static_cast<size_t>(other.m_nLength));
  return *this;
}

CString& CString::operator+=(const char* psz) {
  Append(psz, strlen(psz));
  return *this;
}

void CString::Empty() { *this = CString(); }

CString CString::Left(int nCount) const {
  if (nCount < 0) nCount = 0;
  if (nCount >= m_nLength) return *this;
  return CString(m_pchData, nCount);
}

CString CString::Mid(int nFirst) const {
  if (nFirst < 0) nFirst = 0;
  if (nFirst >= m_nLength) return CString();
  return CString(m_pchData + nFirst, m_nLength - nFirst);
}

int CString::Find(char ch) const {
  for (int i = 0; i < m_nLength; ++i) {
    if (m_pchData[i] == ch) return i;
  }
  return -1;
}

int CString::Find(const char* pszSub) const {
  for (const char* pch = m_pchData;; ++pch) {
    // Stops at the first difference, so it never reads past the terminating zero.
    int i = 0;
    while (pszSub[i] != '\0' && pch[i] == pszSub[i]) ++i;
    if (pszSub[i] == '\0') return static_cast<int>(pch - m_pchData);
    if (*pch == '\0') return -1;
  }
}

int CString::ReverseFind(char ch) const {
  for (int i = m_nLength - 1; i >= 0; --i) {
    if (m_pchData[i] == ch) return i;
  }
  return -1;
}

char* CString::GetBuffer(int nMinLength) {
  const size_t nNeeded = ToSize(nMinLength);
  if (m_nAlloc == 0 || nNeeded > static_cast<size_t>(m_nAlloc)) {
    const size_t nAlloc = GrownRoom(m_nAlloc, nNeeded);
    char* pchBlock = NewBlock(nAlloc);
    memcpy(pchBlock, m_pchData, static_cast<size_t>(m_nLength) + 1);
    Adopt(pchBlock, nAlloc);
  }
  return m_pchData;
}

void CString::ReleaseBuffer(int nNewLength) {
  m_pchData[ToSize(nNewLength, static_cast<size_t>(m_nAlloc))] = '\0';
  m_nLength = nNewLength;
}

void CString::Append(const char* pch, size_t nCount) {
  const size_t nLength = static_cast<size_t>(m_nLength) + nCount;
  if (nLength > static_cast<size_t>(m_nAlloc)) {
    // The piece may lie in the old block (s += s): copy it before that block goes.
    const size_t nAlloc = GrownRoom(m_nAlloc, nLength);
    char* pchBlock = NewBlock(nAlloc);
    memcpy(pchBlock, m_pchData, static_cast<size_t>(m_nLength));
    memcpy(pchBlock + m_nLength, pch, nCount);
    Adopt(pchBlock, nAlloc);
  } else {
    // A piece of this text ends at or before the old end, where the copy begins.
    memcpy(m_pchData + m_nLength, pch, nCount);
  }
  m_nLength = static_cast<int>(nLength);
  m_pchData[nLength] = '\0';
}

void CString::Adopt(char* pchBlock, size_t nAlloc) {
  if (m_nAlloc != 0) AfxFreeMemory(m_pchData);
  m_pchData = pchBlock;
  m_nAlloc = static_cast<int>(nAlloc);
}

CString operator+(const CString& a, const CString& b) {
  return CString(a.m_pchData, static_cast<size_t>(a.m_nLength), b.m_pchData,
                 static_cast<size_t>(b.m_nLength));
}

CString operator+(const CString& a, const char* b) {
  return CString(a.m_pchData, static_cast<size_t>(a.m_nLength), b, strlen(b));
}

CString operator+(const char* a, const CString& b) {
  return CString(a, strlen(a), b.m_pchData, static_cast<size_t>(b.m_nLength));
}

int FileNameStart(const char* pszPath) {
  const char* pszName = pszPath;
  for (const char* pch = pszPath; *pch != '\0'; pch = CharNextA(pch)) {
    if (*pch == '\\' || *pch == '/') pszName = pch + 1;
  }
  return static_cast<int>(pszName - pszPath);
}
