#include "platform/data_exchange.h"

#include "platform/dialog.h"
#include "platform/win_app.h"

namespace {
// An edit control tells the dialog manager that it takes EM_SETSEL; a combo box does not.
bool IsEditControl(HWND hWnd) {
  return (::SendMessageA(hWnd, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0;
}
}  // namespace

HWND CDataExchange::PrepareCtrl(int nIDC) {
  m_hWndLastControl = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
  return m_hWndLastControl;
}

void CDataExchange::Fail() {
  if (m_hWndLastControl != nullptr) {
    ::SetFocus(m_hWndLastControl);
    if (IsEditControl(m_hWndLastControl)) ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
  }
  m_bFailed = true;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (pDX->Failed() || rControl.m_bBound) return;
  HWND hWnd = pDX->PrepareCtrl(nIDC);
  // A control the template lacks is a coding mistake: the exchange fails, so the page's load
  // ends it with -1 rather than leave a member that talks to no window.
  if (hWnd == nullptr) {
    pDX->Fail();
    return;
  }
  rControl.m_hWnd = hWnd;
  rControl.m_bBound = true;
  rControl.m_pNextBound = pDX->m_pDlgWnd->m_pBoundControls;
  pDX->m_pDlgWnd->m_pBoundControls = &rControl;
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
  if (pDX->Failed()) return;
  HWND hWnd = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    value = static_cast<int>(::SendMessageA(hWnd, BM_GETCHECK, 0, 0));
  } else {
    if (value < 0 || value > 2) value = 0;
    ::SendMessageA(hWnd, BM_SETCHECK, static_cast<WPARAM>(value), 0);
  }
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value) {
  if (pDX->Failed()) return;
  HWND hWnd = pDX->PrepareCtrl(nIDC);
  CWnd combo(hWnd);
  if (pDX->m_bSaveAndValidate) {
    // The pages' combo boxes have an edit field: its text is the value.
    value = combo.GetWindowText();
  } else {
    const char* pszValue = value;
    if (combo.SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(-1),
                          reinterpret_cast<LPARAM>(pszValue)) == CB_ERR) {
      combo.SetWindowText(pszValue);
    }
  }
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
  if (pDX->Failed()) return;
  if (pDX->m_bSaveAndValidate) {
    if (value.GetLength() > nChars) {
      char number[16];
      wsprintfA(number, "%d", nChars);
      AfxMessageBox(AfxFormatString1("Please enter no more than %1 characters.", number),
                    MB_ICONEXCLAMATION);
      pDX->Fail();
    }
  } else if (pDX->m_hWndLastControl != nullptr && IsEditControl(pDX->m_hWndLastControl)) {
    // Only edit controls get a typing limit; a combo box is checked when saving.
    ::SendMessageA(pDX->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0);
  }
}
