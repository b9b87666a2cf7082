#include "app/welcome_dlg.h"

#include "platform/win_app.h"
#include "res/resource.h"

const MessageMap CWelcomeDlg::messageMap = {&CDialog::messageMap, nullptr, 0};

CWelcomeDlg::CWelcomeDlg(CWnd* pParent)
    : CDialog(IDD_WELCOME, pParent),
      m_hIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_PROGRAM))) {}

CWelcomeDlg::~CWelcomeDlg() = default;

const MessageMap* CWelcomeDlg::GetMessageMap() const { return &messageMap; }

BOOL CWelcomeDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  return TRUE;
}
