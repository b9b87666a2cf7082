#include "platform/win_app.h"

#include <iterator>

namespace {
CWinApp* g_pApp = nullptr;

std::string ModuleBaseName() {
  char path[MAX_PATH + 1] = {};
  const DWORD len = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path, len < MAX_PATH ? len : MAX_PATH);
  const std::string::size_type slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const std::string::size_type dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}
}  // namespace

const MessageMapEntry CWinApp::messageEntries[] = {
    {ID_HELP, 0, Handler(&CWinApp::OnHelp)},
};
const MessageMap CWinApp::messageMap = {nullptr, messageEntries, std::size(messageEntries)};

CWinApp::CWinApp(const char* pszAppName) : m_strAppName(pszAppName ? pszAppName : "") {
  g_pApp = this;
}

CWinApp::~CWinApp() {
  if (g_pApp == this) g_pApp = nullptr;
}

const MessageMap* CWinApp::GetMessageMap() const { return &messageMap; }

// The program ships no help file, so there is nothing to open.
void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() { return g_pApp; }

std::string AfxGetAppName() {
  if (g_pApp != nullptr && !g_pApp->m_strAppName.empty()) return g_pApp->m_strAppName;
  return ModuleBaseName();
}

HINSTANCE AfxGetResourceHandle() {
  if (g_pApp != nullptr && g_pApp->m_hInstance != nullptr) return g_pApp->m_hInstance;
  return GetModuleHandleA(nullptr);
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
  const std::string caption = AfxGetAppName();
  return MessageBoxA(GetActiveWindow(), pszText, caption.c_str(), nType);
}

std::string AfxFormatString1(const char* pszFormat, const char* pszArg) {
  std::string text(pszFormat);
  const std::string::size_type at = text.find("%1");
  if (at != std::string::npos) text.replace(at, 2, pszArg);
  return text;
}
