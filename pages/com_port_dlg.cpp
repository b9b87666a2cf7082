#include "pages/com_port_dlg.h"

#include "res/resource.h"

const MessageMapEntry CComPortDlg::messageEntries[] = {
    {IDC_NEXT_AVAILABLE, BN_CLICKED, Handler<&CComPortDlg::OnNextAvailable>()},
};
const MessageMap CComPortDlg::messageMap = {&CDialog::messageMap, messageEntries,
                                            ARRAYSIZE(messageEntries)};

CComPortDlg::CComPortDlg(CWnd* pParent)
    : CDialog(IDD_COM_PORT, pParent), m_bNextAvailable(0), m_bWaitOnTx(0) {}

CComPortDlg::~CComPortDlg() = default;

const MessageMap* CComPortDlg::GetMessageMap() const { return &messageMap; }

void CComPortDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDOK, m_btnNext);
  DDX_Control(pDX, IDCANCEL, m_btnCancel);
  DDX_Control(pDX, IDC_START_COM, m_comboComPort);
  DDX_Check(pDX, IDC_NEXT_AVAILABLE, m_bNextAvailable);
  DDX_CBString(pDX, IDC_START_COM, m_strComPort);
  DDV_MaxChars(pDX, m_strComPort, 4);
  DDX_Check(pDX, IDC_WAIT_ON_TX, m_bWaitOnTx);
}

BOOL CComPortDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_bNextAvailable = 0;
  for (int nPort = 3; nPort <= 255; ++nPort) {
    char szPort[8];
    wsprintfA(szPort, "%d", nPort);
    m_comboComPort.AddString(szPort);
  }
  m_strComPort.Empty();
  UpdateData(FALSE);
  return TRUE;
}

void CComPortDlg::OnNextAvailable() {
  UpdateData(TRUE);
  m_comboComPort.EnableWindow(m_bNextAvailable == 0 ? TRUE : FALSE);
}
