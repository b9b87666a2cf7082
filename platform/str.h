// The framework's string: 8-bit ANSI characters on the heap, always zero-terminated. An empty
// string holds no memory. A change builds the new text completely before the old one is let
// go, so a source inside the string itself (s += s) is safe. A negative length, or one beyond
// the buffer given to ReleaseBuffer, is a coding mistake that ends the program.
#pragma once

#include <windows.h>

class CString {
 public:
  CString() = default;
  CString(const char* psz);
  CString(const char* pch, int nLength);
  CString(const CString& other);
  CString(CString&& other) noexcept;
  ~CString();

  CString& operator=(const CString& other);
  CString& operator=(CString&& other) noexcept;
  CString& operator=(const char* psz);
  CString& operator+=(const CString& other);
  CString& operator+=(const char* psz);

  int GetLength() const { return m_nLength; }
  bool IsEmpty() const { return m_nLength == 0; }
  void Empty();

  // The first nCount characters; all of them when there are fewer.
  CString Left(int nCount) const;
  // The characters from index nFirst on; none when nFirst is at or beyond the end.
  CString Mid(int nFirst) const;
  // The index of the first or the last match; -1 when there is none.
  int Find(char ch) const;
  int Find(const char* pszSub) const;
  int ReverseFind(char ch) const;

  operator const char*() const { return m_pchData; }

  // Room for at least nMinLength characters to be written in place, the text so far kept;
  // ReleaseBuffer then sets the length written, at most that room.
  char* GetBuffer(int nMinLength);
  void ReleaseBuffer(int nNewLength);

  // Through the conversion these would compare addresses, not texts.
  friend bool operator==(const CString&, const CString&) = delete;
  friend bool operator==(const CString&, const char*) = delete;
  friend bool operator==(const char*, const CString&) = delete;

 private:
  friend CString operator+(const CString& a, const CString& b);
  friend CString operator+(const CString& a, const char* b);
  friend CString operator+(const char* a, const CString& b);

  CString(const char* pch1, size_t nLength1, const char* pch2, size_t nLength2);
  void Append(const char* pch, size_t nLength);
  // Takes a new block of room for nAlloc characters that holds the text so far.
  void Adopt(char* pchBlock, size_t nAlloc);

  static char s_chNil;  // the text of every string that holds no memory

  char* m_pchData = &s_chNil;
  int m_nLength = 0;
  int m_nAlloc = 0;  // characters that fit, without the terminating zero; 0 when none held
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);

// Where the last component of a path starts: just after its last '\' or '/', or 0 when it has
// none. The path is walked letter by letter: in a double-byte code page the second byte of a
// letter may be the byte of '\'.
int FileNameStart(const char* pszPath);
