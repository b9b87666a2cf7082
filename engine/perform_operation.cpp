#include "engine/setup_engine.h"
#include "pages/operation_dlg.h"
#include "platform/handles.h"

const char kEngineCaption[] = "Windows NT4 Device Installation";

namespace {
const char kServicesKeyPrefix[] = "System\\CurrentControlSet\\Services\\";
const char kServiceKeyClass[] = "Ports";
}  // namespace

int COperationDlg::PerformOperation() {
  // Taken once: the page stays live while the setup API's windows run, and the section run and
  // the port parameters must follow the same choice.
  const bool bInstall = m_bInstall != 0;
  const CString strServiceKey = kServicesKeyPrefix + m_strServiceName;

  // Declared so that leaving releases the context, the queue, the INF and then the key.
  RegKey serviceKey;
  InfHandle inf;
  FileQueue queue;
  QueueContext context;

  inf.reset(SetupOpenInfFileA(m_strInfPath, nullptr, INF_STYLE_WIN4, nullptr));
  if (!inf) {
    // Joined, not formatted: the path may be long and may hold '%'.
    OutputDebugStringA(m_strInfPath);
    MessageBox("'" + m_strInfPath + "' is not a valid INF file!", kEngineCaption,
               MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }

  HKEY hKey = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, strServiceKey, 0, const_cast<char*>(kServiceKeyClass),
                      REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &hKey,
                      nullptr) != ERROR_SUCCESS) {
    MessageBox("Cant open key", kEngineCaption, MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  serviceKey.reset(hKey);

  queue.reset(SetupOpenFileQueue());
  if (!queue) {
    ReportLastSetupError(m_hWnd);
    return 0;
  }

  context.reset(SetupInitDefaultQueueCallbackEx(m_hWnd, nullptr, 0, 0, nullptr));
  if (!context) {
    // Closing the queue and the INF may overwrite the last error: report the one that the
    // failed call set.
    const DWORD dwError = GetLastError();
    queue.reset();
    inf.reset();
    SetLastError(dwError);
    ReportLastSetupError(m_hWnd);
    return 0;
  }

  const char* pszSection = bInstall ? "Install" : "Uninstall";

  if (!SetupInstallFromInfSectionA(m_hWnd, inf.get(), pszSection, SPINST_FILES | SPINST_REGISTRY,
                                   serviceKey.get(), m_strSourceDir, SP_COPY_NOSKIP,
                                   FileQueueCallback, context.get(), nullptr, nullptr)) {
    ReportLastSetupError(m_hWnd);
    return 0;
  }
  m_bFilesCommitted = 1;

  if (!SetupCommitFileQueueA(m_hWnd, queue.get(), FileQueueCallback, context.get())) {
    ReportLastSetupError(m_hWnd);
    return 0;
  }

  if (!SetupInstallServicesFromInfSectionA(inf.get(), pszSection, 0)) {
    ReportLastSetupError(m_hWnd);
    return 0;
  }

  if (bInstall) WritePortParameters(serviceKey.get(), m_nComNumber, m_nWaitOnTx);
  return 1;
}

UINT CALLBACK FileQueueCallback(PVOID pvContext, UINT nNotification, UINT_PTR nParam1,
                                UINT_PTR nParam2) {
  if (nNotification == SPFILENOTIFY_DELETEERROR) return FILEOP_SKIP;
  return SetupDefaultQueueCallbackA(pvContext, nNotification, nParam1, nParam2);
}

void ReportLastSetupError(HWND hOwner) {
  const DWORD dwError = GetLastError();
  if (dwError == ERROR_CANCELLED) return;

  char* pszMessage = nullptr;
  // Inserts are ignored: there are no arguments to put into a text that asks for some.
  const DWORD dwLength = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, dwError, 0x0400, reinterpret_cast<char*>(&pszMessage), 0, nullptr);
  LocalMemory message(pszMessage);

  // The setup API's own codes often have no system text: show the code instead.
  const CString strText = (dwLength != 0 && pszMessage != nullptr)
                              ? CString(pszMessage)
                              : ErrorCodeText(static_cast<LONG>(dwError));
  MessageBoxA(hOwner, strText, kEngineCaption, MB_OK | MB_ICONEXCLAMATION);
  OutputDebugStringA(strText);
}
