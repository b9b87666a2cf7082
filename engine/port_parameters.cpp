#include "engine/setup_engine.h"
#include "platform/handles.h"
#include "platform/win_app.h"

namespace {
// Opens Parameters (never creates it: the INF's entries must have) and writes one REG_DWORD.
// Each failure shows the option's text and then the failed call with its code.
void WriteParameter(HKEY hServiceKey, const char* pszValueName, DWORD dwData,
                    const char* pszOptionText) {
  HKEY hParameters = nullptr;
  LONG nResult = RegOpenKeyExA(hServiceKey, "Parameters", 0, KEY_SET_VALUE, &hParameters);
  if (nResult != ERROR_SUCCESS) {
    AfxMessageBox(pszOptionText);
    AfxMessageBox("OPEN KEY\n" + ErrorCodeText(nResult));
    return;
  }
  RegKey parameters(hParameters);

  nResult = RegSetValueExA(parameters.get(), pszValueName, 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&dwData), sizeof(dwData));
  if (nResult != ERROR_SUCCESS) {
    AfxMessageBox(pszOptionText);
    AfxMessageBox("SET VALUE\n" + ErrorCodeText(nResult));
  }
}
}  // namespace

void WritePortParameters(HKEY hServiceKey, int nComNumber, int nWaitOnTx) {
  // Zero means no starting number; a negative one would be stored as a huge port number.
  if (nComNumber > 0) {
    char szText[128];
    wsprintfA(szText, "Cannot start at COM%d\nCOM ports will start at system allocated number",
              nComNumber);
    WriteParameter(hServiceKey, "ComNumberOffset", static_cast<DWORD>(nComNumber), szText);
  }
  if (nWaitOnTx == 1) {
    WriteParameter(hServiceKey, "TxFIFO", 1,
                   "Cannot configure FIFO size to enable Wait On TX mode");
  }
}
