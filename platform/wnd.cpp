#include "platform/wnd.h"

#include "platform/win_app.h"

CWnd* CWnd::GetDlgItem(int nID) {
  HWND hItem = ::GetDlgItem(m_hWnd, nID);
  if (hItem == nullptr) return nullptr;
  for (const auto& child : m_children) {
    if (child->m_hWnd == hItem) return child.get();
  }
  m_children.push_back(std::make_unique<CWnd>(hItem));
  return m_children.back().get();
}

void CWnd::SetDlgItemText(int nID, const char* pszText) { ::SetDlgItemTextA(m_hWnd, nID, pszText); }

BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }

void CWnd::SetWindowText(const char* pszText) { ::SetWindowTextA(m_hWnd, pszText); }

std::string CWnd::GetWindowText() const {
  // WM_GETTEXT rather than GetWindowText: it also reads the edit field of a combo box.
  const LRESULT len = ::SendMessageA(m_hWnd, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(len) + 1, '\0');
  const LRESULT got =
      ::SendMessageA(m_hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<std::size_t>(got));
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
  const std::string appName = AfxGetAppName();
  HWND owner = (m_hWnd != nullptr && ::IsWindow(m_hWnd)) ? m_hWnd : nullptr;
  return ::MessageBoxA(owner, pszText, pszCaption ? pszCaption : appName.c_str(), nType);
}

void CWnd::DetachWindow() {
  m_children.clear();
  m_hWnd = nullptr;
}

int CComboBox::AddString(const char* pszString) {
  return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszString)));
}
