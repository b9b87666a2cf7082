// Linked into setup_seamed.exe only. Where a source file is missing, Windows' default queue
// callback asks for the disk; Wine's retries for ever. This stand-in asks with the setup API's
// own "Files Needed" prompt, answers as Windows does, and leaves every other notification to
// the real callback. It starts as setup.exe does, with no C run-time, so it uses none either.
#include <windows.h>
#include <setupapi.h>

#include "support/import_hook.h"

namespace {
UINT CALLBACK PromptingQueueCallback(PVOID pvContext, UINT nNotification, UINT_PTR nParam1,
                                     UINT_PTR nParam2);

const ImportHook g_defaultCallback("SETUPAPI.dll", "SetupDefaultQueueCallbackA",
                                   &PromptingQueueCallback);

bool SourceMissing(const SOURCE_MEDIA_A& media) {
  char szPath[2 * MAX_PATH] = {};
  lstrcpynA(szPath, media.SourcePath, MAX_PATH);
  const int nLength = lstrlenA(szPath);
  if (nLength != 0 && szPath[nLength - 1] != '\\') lstrcatA(szPath, "\\");
  lstrcpynA(szPath + lstrlenA(szPath), media.SourceFile, MAX_PATH);
  return GetFileAttributesA(szPath) == INVALID_FILE_ATTRIBUTES;
}

UINT CALLBACK PromptingQueueCallback(PVOID pvContext, UINT nNotification, UINT_PTR nParam1,
                                     UINT_PTR nParam2) {
  if (nNotification == SPFILENOTIFY_NEEDMEDIA) {
    const auto* media = reinterpret_cast<const SOURCE_MEDIA_A*>(nParam1);
    if (SourceMissing(*media)) {
      char szNewPath[MAX_PATH] = {};
      DWORD dwRequired = 0;
      switch (SetupPromptForDiskA(GetActiveWindow(), nullptr, media->Description, media->SourcePath,
                                  media->SourceFile, media->Tagfile,
                                  IDF_CHECKFIRST | IDF_NOBEEP | IDF_NOSKIP, szNewPath, MAX_PATH,
                                  &dwRequired)) {
        case DPROMPT_SUCCESS:
          lstrcpynA(reinterpret_cast<char*>(nParam2), szNewPath, MAX_PATH);
          return FILEOP_NEWPATH;
        case DPROMPT_CANCEL:
          SetLastError(ERROR_CANCELLED);
          return FILEOP_ABORT;
        default:
          break;
      }
    }
  }
  using Callback = UINT(CALLBACK*)(PVOID, UINT, UINT_PTR, UINT_PTR);
  return g_defaultCallback.original<Callback>()(pvContext, nNotification, nParam1, nParam2);
}
}  // namespace
