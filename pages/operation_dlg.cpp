#include "pages/operation_dlg.h"

#include "pages/com_port_dlg.h"
#include "pages/licence_dlg.h"
#include "platform/win_app.h"
#include "res/resource.h"

namespace {
// Reads the text as the C library's atoi does: white space, an optional sign, then decimal
// digits up to the first other character; 0 when there are none.
int ReadNumber(const char* psz) {
  while (*psz == ' ' || (*psz >= '\t' && *psz <= '\r')) ++psz;
  const bool bNegative = *psz == '-';
  if (*psz == '-' || *psz == '+') ++psz;
  unsigned int nValue = 0;
  for (; *psz >= '0' && *psz <= '9'; ++psz) nValue = nValue * 10 + (*psz - '0');
  return static_cast<int>(bNegative ? 0u - nValue : nValue);
}
}  // namespace

const MessageMapEntry COperationDlg::messageEntries[] = {
    {IDC_INSTALL, BN_CLICKED, Handler<&COperationDlg::OnInstall>()},
    {IDC_UNINSTALL, BN_CLICKED, Handler<&COperationDlg::OnUninstall>()},
    {IDC_NEXT, BN_CLICKED, Handler<&COperationDlg::OnNext>()},
};
const MessageMap COperationDlg::messageMap = {&CDialog::messageMap, messageEntries,
                                              ARRAYSIZE(messageEntries)};

COperationDlg::COperationDlg(CWnd* pParent)
    : CDialog(IDD_OPERATION, pParent),
      m_bInstall(1),
      m_hIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_PROGRAM))) {}

COperationDlg::~COperationDlg() = default;

const MessageMap* COperationDlg::GetMessageMap() const { return &messageMap; }

void COperationDlg::SetInfLocation(CString strServiceName, CString strSourceDir,
                                   CString strInfPath) {
  m_strServiceName = static_cast<CString&&>(strServiceName);
  m_strSourceDir = static_cast<CString&&>(strSourceDir);
  m_strInfPath = static_cast<CString&&>(strInfPath);
}

// Binds the controls the page sets directly; it exchanges no data.
void COperationDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Control(pDX, IDC_INSTALL, m_radioInstall);
  DDX_Control(pDX, IDC_UNINSTALL, m_radioUninstall);
  DDX_Control(pDX, IDCANCEL, m_btnCancel);
  DDX_Control(pDX, IDC_NEXT, m_btnNext);
  DDX_Control(pDX, IDC_STATUS, m_staticStatus);
}

BOOL COperationDlg::OnInitDialog() {
  if (!CDialog::OnInitDialog()) return FALSE;
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  m_bDone = 0;
  m_bFilesCommitted = 0;

  CButton& choice = m_bInstall != 0 ? m_radioInstall : m_radioUninstall;
  choice.SendMessage(BM_SETCHECK, BST_CHECKED);

  // The extension is always shown in capitals, whatever the case of the name on disk.
  SetDlgItemText(IDC_INF_FILE, "Installation File: " + m_strServiceName + ".INF");
  return TRUE;
}

void COperationDlg::OnInstall() { m_bInstall = 1; }

void COperationDlg::OnUninstall() { m_bInstall = 0; }

void COperationDlg::OnNext() {
  if (m_bDone != 0) {
    EndDialog(IDOK);
    return;
  }

  // Each page or box run from here may see this page ended under it, by a close request from
  // outside: then nothing more happens, no further page, no operation, no outcome.
  if (m_bInstall != 0) {
    // Made only here: the licence page looks for its file on the media, which Finish and an
    // uninstallation must leave alone (the disk may be out of the drive by then).
    CLicenceDlg licenceDlg(nullptr);
    CComPortDlg comPortDlg(nullptr);
    if (licenceDlg.m_bLicenceLoaded != 0 && licenceDlg.DoModal() == IDCANCEL) {
      EndDialog(IDCANCEL);
      return;
    }
    for (;;) {
      if (HasEnded()) return;
      const INT_PTR result = comPortDlg.DoModal();
      if (HasEnded()) return;
      // A page that cannot even be created (-1) would otherwise be retried for ever.
      if (result == IDCANCEL || result == -1) {
        EndDialog(IDCANCEL);
        return;
      }
      if (comPortDlg.m_bNextAvailable != 0) {
        AfxMessageBox("Unexpected SETUP error, installation will be terminated");
        EndDialog(IDCANCEL);
        return;
      }
      if (comPortDlg.m_strComPort.IsEmpty()) {
        AfxMessageBox("You must select a starting COM port number");
        continue;
      }
      m_nComNumber = ReadNumber(comPortDlg.m_strComPort);
      m_nWaitOnTx = comPortDlg.m_bWaitOnTx;
      break;
    }
  }

  // The setup API's progress window keeps this page live while the operation runs: nothing on
  // it may be clicked until the operation is over, the choice least of all.
  m_btnNext.EnableWindow(FALSE);
  m_btnCancel.EnableWindow(FALSE);
  m_radioInstall.EnableWindow(FALSE);
  m_radioUninstall.EnableWindow(FALSE);

  m_bDone = PerformOperation();
  if (HasEnded()) return;
  if (m_bDone == 0) {
    EndDialog(IDOK);
    return;
  }

  m_btnNext.EnableWindow(TRUE);
  m_btnNext.SetWindowText("Finish");
  m_btnNext.SetFocus();
  m_staticStatus.SetWindowText("    The operation was completed successfully.");
}
