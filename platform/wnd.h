// Thin window objects over HWNDs: the operations the pages use on themselves and on their
// controls.
#pragma once

#include <windows.h>

#include "platform/cmd_target.h"
#include "platform/str.h"

class CDataExchange;

class CWnd : public CCmdTarget {
 public:
  CWnd() = default;
  explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}

  HWND GetSafeHwnd() const { return m_hWnd; }

  void SetDlgItemText(int nID, const char* pszText);

  BOOL EnableWindow(BOOL bEnable = TRUE);
  void SetWindowText(const char* pszText);
  CString GetWindowText() const;
  void SetFocus();
  // The title-bar icon (big) or the task-switch icon (small).
  void SetIcon(HICON hIcon, BOOL bBigIcon);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  // The Window message box: owned by this window while it exists; a missing caption becomes
  // the application name.
  int MessageBox(const char* pszText, const char* pszCaption = nullptr, UINT nType = MB_OK);

  HWND m_hWnd = nullptr;

 private:
  friend class CDialog;
  friend void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

  // A control of a dialog's run: bound by its first exchange, until the window is gone.
  bool m_bBound = false;
  CWnd* m_pNextBound = nullptr;  // the next in the dialog's list of bound controls
};

class CButton : public CWnd {};

class CComboBox : public CWnd {
 public:
  int AddString(const char* pszString);
};
