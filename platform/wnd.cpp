#include "platform/wnd.h"

#include "platform/win_app.h"

void CWnd::SetDlgItemText(int nID, const char* pszText) { ::SetDlgItemTextA(m_hWnd, nID, pszText); }

BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }

void CWnd::SetWindowText(const char* pszText) { ::SetWindowTextA(m_hWnd, pszText); }

CString CWnd::GetWindowText() const {
  // WM_GETTEXT rather than GetWindowText: it also reads the edit field of a combo box.
  const int nLength = static_cast<int>(::SendMessageA(m_hWnd, WM_GETTEXTLENGTH, 0, 0));
  CString text;
  char* pchBuffer = text.GetBuffer(nLength);
  const LRESULT got = ::SendMessageA(m_hWnd, WM_GETTEXT, static_cast<WPARAM>(nLength) + 1,
                                     reinterpret_cast<LPARAM>(pchBuffer));
  text.ReleaseBuffer(static_cast<int>(got));
  return text;
}

void CWnd::SetFocus() { ::SetFocus(m_hWnd); }

void CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
  SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

int CWnd::MessageBox(const char* pszText, const char* pszCaption, UINT nType) {
  const CString appName = AfxGetAppName();
  HWND owner = (m_hWnd != nullptr && ::IsWindow(m_hWnd)) ? m_hWnd : nullptr;
  return ::MessageBoxA(owner, pszText, pszCaption ? pszCaption : static_cast<const char*>(appName),
                       nType);
}

int CComboBox::AddString(const char* pszString) {
  return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszString)));
}
