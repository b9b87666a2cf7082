#include "platform/setup_api.h"

#include "platform/win_app.h"

// The functions the program calls, each with the bytes of its arguments on i386.
#define ZL73_SETUP_API(X)                    \
  X(SetupOpenInfFileA, 16)                   \
  X(SetupCloseInfFile, 4)                    \
  X(SetupOpenFileQueue, 0)                   \
  X(SetupCloseFileQueue, 4)                  \
  X(SetupInitDefaultQueueCallbackEx, 20)     \
  X(SetupTermDefaultQueueCallback, 4)        \
  X(SetupDefaultQueueCallbackA, 16)          \
  X(SetupInstallFromInfSectionA, 44)         \
  X(SetupCommitFileQueueA, 16)               \
  X(SetupInstallServicesFromInfSectionA, 12) \
  X(SetupPromptReboot, 12)

// The compiler calls a function of a DLL through a pointer named __imp_ and the function's
// linker name, which the import library would have put in the import table. Defined here
// instead, they leave the DLL out of that table; a wrong byte count fails the link.
#ifdef _WIN64
#define ZL73_IMPORT_NAME(name, bytes) "__imp_" #name
#else
#define ZL73_IMPORT_NAME(name, bytes) "__imp__" #name "@" #bytes
#endif
#define ZL73_DEFINE_SLOT(name, bytes) FARPROC g_pfn##name asm(ZL73_IMPORT_NAME(name, bytes));
ZL73_SETUP_API(ZL73_DEFINE_SLOT)

#define ZL73_ENTRY(name, bytes) {#name, &g_pfn##name},
const SetupApiEntry g_setupApi[] = {ZL73_SETUP_API(ZL73_ENTRY)};

namespace {
HMODULE g_hSetupApi = nullptr;
}  // namespace

bool LoadSetupApi() {
  if (g_hSetupApi != nullptr) return true;

  // The folder, then the name: a folder too long for the buffer comes back as the size it
  // needs, with no error set.
  char szPath[MAX_PATH + sizeof("\\SETUPAPI.DLL")];
  SetLastError(ERROR_BUFFER_OVERFLOW);
  const UINT nFolder = GetSystemDirectoryA(szPath, MAX_PATH);
  const bool bFolder = nFolder != 0 && nFolder < MAX_PATH;
  wsprintfA(szPath + (bFolder ? nFolder : 0), "\\SETUPAPI.DLL");
  // The folder's copy alone, and the DLLs it imports looked for beside it first. It is never
  // let go: like an imported DLL it serves the whole process, whose run ends if it fails.
  const HMODULE hModule =
      bFolder ? LoadLibraryExA(szPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH) : nullptr;
  const char* pszMissing = "";
  if (hModule != nullptr) {
    int i = 0;
    while (i < kSetupApiFunctions &&
           (*g_setupApi[i].ppfn = GetProcAddress(hModule, g_setupApi[i].pszName)) != nullptr) {
      ++i;
    }
    if (i == kSetupApiFunctions) {
      g_hSetupApi = hModule;
      return true;
    }
    pszMissing = g_setupApi[i].pszName;
  }

  const CString strCode = ErrorCodeText(static_cast<LONG>(GetLastError()));
  const bool bFunction = *pszMissing != '\0';
  char szText[512];
  wsprintfA(szText, "Setup cannot run without%s%s%s\n%s.\n%s", bFunction ? " " : "", pszMissing,
            bFunction ? " in" : "", szPath, static_cast<const char*>(strCode));
  AfxMessageBox(szText);
  return false;
}
