#include "platform/dialog.h"

#include "platform/data_exchange.h"
#include "platform/win_app.h"

const MessageMapEntry CDialog::messageEntries[] = {
    {IDOK, BN_CLICKED, Handler<&CDialog::OnOK>()},
    {IDCANCEL, BN_CLICKED, Handler<&CDialog::OnCancel>()},
};
const MessageMap CDialog::messageMap = {nullptr, messageEntries, ARRAYSIZE(messageEntries)};

namespace {
// Centres a page over its owner, or on the work area when it has none; over an owner near an
// edge it stays on the work area.
void CentreWindow(HWND hWnd) {
  RECT area = {};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT over = area;
  if (HWND hOwner = ::GetWindow(hWnd, GW_OWNER)) ::GetWindowRect(hOwner, &over);
  RECT rect = {};
  ::GetWindowRect(hWnd, &rect);
  const LONG width = rect.right - rect.left;
  const LONG height = rect.bottom - rect.top;
  LONG left = (over.left + over.right - width) / 2;
  LONG top = (over.top + over.bottom - height) / 2;
  if (left > area.right - width) left = area.right - width;
  if (left < area.left) left = area.left;
  if (top > area.bottom - height) top = area.bottom - height;
  if (top < area.top) top = area.top;
  ::SetWindowPos(hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() = default;

const MessageMap* CDialog::GetMessageMap() const { return &messageMap; }

INT_PTR CDialog::DoModal() {
  HWND hOwner = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : ::GetActiveWindow();
  m_bEnded = false;
  const INT_PTR result =
      ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hOwner,
                        &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
  WindowGone();
  return result;
}

void CDialog::EndDialog(int nResult) {
  m_bEnded = true;
  ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  DoDataExchange(&dx);
  return dx.Failed() ? FALSE : TRUE;
}

BOOL CDialog::OnInitDialog() {
  if (!UpdateData(FALSE)) {
    EndDialog(-1);
    return FALSE;
  }
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnCommand(UINT nID, UINT nCode) {
  if (OnCmdMsg(nID, nCode)) return;
  if (CWinApp* app = AfxGetApp()) app->OnCmdMsg(nID, nCode);
}

void CDialog::WindowGone() {
  while (m_pBoundControls != nullptr) {
    CWnd* pControl = m_pBoundControls;
    m_pBoundControls = pControl->m_pNextBound;
    pControl->m_hWnd = nullptr;
    pControl->m_bBound = false;
  }
  m_hWnd = nullptr;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CDialog*>(lParam);
    ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
    self->m_hWnd = hWnd;
    RECT before = {};
    ::GetWindowRect(hWnd, &before);
    const BOOL result = self->OnInitDialog();
    // A page that placed itself while initialising keeps its place.
    RECT after = {};
    ::GetWindowRect(hWnd, &after);
    if (after.left == before.left && after.top == before.top) CentreWindow(hWnd);
    return result;
  }
  auto* self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
  if (self == nullptr) return FALSE;  // messages before WM_INITDIALOG
  switch (message) {
    case WM_COMMAND:
      if (!self->m_bEnded) self->OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_NCDESTROY:  // the last message the window gets
      self->WindowGone();
      return FALSE;
    default:
      return FALSE;
  }
}
