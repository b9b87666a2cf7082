#include "app/setup_app.h"

#include <setupapi.h>

#include "app/exe_directory.h"
#include "app/welcome_dlg.h"
#include "pages/operation_dlg.h"
#include "platform/file_find.h"
#include "platform/setup_api.h"

const MessageMap CSetupApp::messageMap = {&CWinApp::messageMap, nullptr, 0};

CSetupApp::CSetupApp() = default;

CSetupApp::~CSetupApp() = default;

const MessageMap* CSetupApp::GetMessageMap() const { return &messageMap; }

BOOL CSetupApp::InitInstance() {
  // Where the loader would have refused to start the program, a box of ours says why.
  if (!LoadSetupApi()) return FALSE;

  CFileFind finder;
  CWelcomeDlg welcomeDlg(nullptr);
  COperationDlg operationDlg(nullptr);

  // No main window: each page is owned by whichever window of ours is active when it opens.
  m_pMainWnd = nullptr;

  if (welcomeDlg.DoModal() == IDCANCEL) return FALSE;

  CString strExeDir;
  GetExeDirectory(strExeDir);
  CString strInfPath = strExeDir + "ZL73.INF";

  if (!finder.FindFile(strInfPath)) {
    welcomeDlg.MessageBox(
        "Setup could not find a localised INF file\n"
        "You may have removed the driver and not deleted SETUP.EXE\n"
        "Refer to the installation media ",
        "Setup Error", MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }

  finder.FindNextFile();
  strInfPath = finder.GetFilePath();
  CString strInfBaseName = finder.GetFileName();
  const int dot = strInfBaseName.Find('.');
  if (dot >= 0) strInfBaseName = strInfBaseName.Left(dot);

  operationDlg.SetInfLocation(strInfBaseName, strExeDir, strInfPath);

  if (operationDlg.DoModal() == IDOK) {
    if (operationDlg.m_bDone == 0) {
      // The page's window is gone by now, so the box has no owner.
      operationDlg.MessageBox(
          "Due to an error the operation was not fully completed.\n"
          "Run setup again to complete the operation",
          " Windows NT4 Device Installation Error", MB_OK | MB_ICONEXCLAMATION);
    } else if (operationDlg.m_bFilesCommitted != 0) {
      SetupPromptReboot(nullptr, nullptr, FALSE);
    }
  }
  return FALSE;
}
