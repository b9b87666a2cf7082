#include "pages/licence_dlg.h"

#include "app/exe_directory.h"
#include "platform/file_find.h"
#include "platform/handles.h"
#include "platform/win_app.h"
#include "res/resource.h"

namespace {
CString LicencePath() {
  CString strPath;
  GetExeDirectory(strPath);
  return strPath + "licence.txt";
}

// Whether the page has anything to show: a licence file the loader would accept.
bool LicenceAvailable() {
  CFileFind finder;
  if (!finder.FindFile(LicencePath())) return false;
  finder.FindNextFile();
  return !finder.IsDirectory() && finder.GetLength() <= kMaxLicenceBytes;
}
}  // namespace

const MessageMap CLicenceDlg::messageMap = {&CDialog::messageMap, nullptr, 0};

CLicenceDlg::CLicenceDlg(CWnd* pParent)
    : CDialog(IDD_LICENCE, pParent),
      m_bLicenceLoaded(LicenceAvailable() ? 1 : 0),
      m_hIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_PROGRAM))) {}

CLicenceDlg::~CLicenceDlg() = default;

const MessageMap* CLicenceDlg::GetMessageMap() const { return &messageMap; }

void CLicenceDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Control(pDX, IDC_LICENCE_TEXT, m_editLicence);
}

BOOL CLicenceDlg::OnInitDialog() {
  if (!CDialog::OnInitDialog()) return FALSE;
  m_bLicenceLoaded = 1;
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  if (LoadTextFileIntoEdit(&m_editLicence, LicencePath()) == 0) m_bLicenceLoaded = 0;
  return TRUE;
}

int LoadTextFileIntoEdit(CWnd* pEdit, CString strPath) {
  // No sharing: a file that someone else holds open is not shown.
  FileHandle file(CreateFileA(strPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 0;

  const DWORD dwLength = GetFileSize(file.get(), nullptr);
  if (dwLength == INVALID_FILE_SIZE || dwLength > kMaxLicenceBytes) return 0;

  HeapMemory buffer(HeapAlloc(GetProcessHeap(), 0, dwLength + 1));
  if (!buffer) return 0;
  char* pchText = static_cast<char*>(buffer.get());
  DWORD dwRead = 0;
  if (!ReadFile(file.get(), pchText, dwLength, &dwRead, nullptr) || dwRead != dwLength) {
    return 0;
  }
  // The text ends right after the bytes read; a zero byte inside ends it earlier.
  pchText[dwLength] = '\0';
  pEdit->SetWindowText(pchText);
  buffer.reset();

  pEdit->SendMessage(EM_SETREADONLY, TRUE, 0);
  return 1;
}
