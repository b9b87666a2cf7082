// The application object: one per program, found by the start-up code through AfxGetApp.
#pragma once

#include <windows.h>

#include "platform/cmd_target.h"
#include "platform/str.h"

class CWnd;

// The framework's standard Help command.
constexpr UINT ID_HELP = 0xE146;

class CWinApp : public CCmdTarget {
 public:
  // With no name, the program's file name without its extension names the application.
  explicit CWinApp(const char* pszAppName = nullptr);
  ~CWinApp() override;

  const MessageMap* GetMessageMap() const override;

  // The whole run of the program; FALSE ends the process without a message loop.
  virtual BOOL InitInstance() { return FALSE; }

  void OnHelp();

  CWnd* m_pMainWnd = nullptr;
  CString m_strAppName;

 protected:
  static const MessageMap messageMap;

 private:
  static const MessageMapEntry messageEntries[];
};

CWinApp* AfxGetApp();

// The application's name, also when no application object exists (as in tests).
CString AfxGetAppName();

// The module that holds the dialog templates and the icon: the program's own, whose base the
// linker puts at this symbol, so no call is needed to find it.
extern "C" IMAGE_DOS_HEADER __ImageBase;
inline HINSTANCE AfxGetResourceHandle() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

// The Warning box: owned by the program's active window, captioned with the application name.
// A request without an icon gets the exclamation icon.
int AfxMessageBox(const char* pszText, UINT nType = MB_OK);

// Replaces "%1" in the format by the argument, as the framework's resource texts use it.
CString AfxFormatString1(const char* pszFormat, const char* pszArg);

// "Error code = <decimal> (0x<hex>)", the form every error-code box uses.
CString ErrorCodeText(LONG nCode);
