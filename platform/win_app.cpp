#include "platform/win_app.h"

namespace {
CWinApp* g_pApp = nullptr;

// From the wide path: in a double-byte code page the ANSI one may be cut at MAX_PATH bytes, and
// its name with it. The path's last character stays zero even when the path fills the rest; a
// name of MAX_PATH letters takes at most two bytes each, and one that cannot be had is empty.
CString ModuleBaseName() {
  WCHAR path[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const WCHAR* pszName = path;
  for (const WCHAR* pch = path; *pch != L'\0'; ++pch) {
    if (*pch == L'\\' || *pch == L'/') pszName = pch + 1;
  }
  char szName[2 * MAX_PATH] = {};
  WideCharToMultiByte(CP_ACP, 0, pszName, -1, szName, sizeof(szName), nullptr, nullptr);
  const CString name(szName);
  const int dot = name.ReverseFind('.');
  return dot < 0 ? name : name.Left(dot);
}
}  // namespace

const MessageMapEntry CWinApp::messageEntries[] = {
    {ID_HELP, 0, Handler<&CWinApp::OnHelp>()},
};
const MessageMap CWinApp::messageMap = {nullptr, messageEntries, ARRAYSIZE(messageEntries)};

CWinApp::CWinApp(const char* pszAppName) {
  if (pszAppName != nullptr) m_strAppName = pszAppName;
  g_pApp = this;
}

CWinApp::~CWinApp() {
  if (g_pApp == this) g_pApp = nullptr;
}

const MessageMap* CWinApp::GetMessageMap() const { return &messageMap; }

// The program ships no help file, so there is nothing to open.
void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() { return g_pApp; }

CString AfxGetAppName() {
  if (g_pApp != nullptr && !g_pApp->m_strAppName.IsEmpty()) return g_pApp->m_strAppName;
  return ModuleBaseName();
}

int AfxMessageBox(const char* pszText, UINT nType) {
  if ((nType & MB_ICONMASK) == 0) {
    switch (nType & MB_TYPEMASK) {
      case MB_OK:
      case MB_OKCANCEL:
      case MB_YESNO:
      case MB_YESNOCANCEL:
        nType |= MB_ICONEXCLAMATION;
        break;
      default:
        break;
    }
  }
  return MessageBoxA(GetActiveWindow(), pszText, AfxGetAppName(), nType);
}

CString AfxFormatString1(const char* pszFormat, const char* pszArg) {
  const CString format(pszFormat);
  const int at = format.Find("%1");
  if (at < 0) return format;
  return format.Left(at) + pszArg + format.Mid(at + 2);
}

CString ErrorCodeText(LONG nCode) {
  char szText[64];
  wsprintfA(szText, "Error code = %d (0x%x)", nCode, nCode);
  return szText;
}
