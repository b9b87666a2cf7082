// The program's first instruction is here: no C run-time start-up runs before it, so this runs
// the static constructors, starts the application object and ends the process itself.
#include <windows.h>

#include "platform/win_app.h"

// The linker brackets the compiler's list of constructors with -1 and a null entry.
extern "C" void (*__CTOR_LIST__[])();

namespace {
// From the last entry to the first, the order in which the compiler lays out priorities.
void RunStaticConstructors() {
  int nCount = 0;
  while (__CTOR_LIST__[nCount + 1] != nullptr) ++nCount;
  for (; nCount > 0; --nCount) __CTOR_LIST__[nCount]();
}
}  // namespace

// Static destructors never run: the process ends with ExitProcess, and nothing they would do
// (free memory, forget the application object) outlives the process. So their registration is
// dropped here.
extern "C" int atexit(void (*)()) { return 0; }

// The name the linker starts a GUI program at. The exit status carries no result.
extern "C" void WinMainCRTStartup() {
  RunStaticConstructors();
  UINT uExitCode = 1;
  if (CWinApp* app = AfxGetApp()) {
    app->InitInstance();
    uExitCode = 0;
  }
  ::ExitProcess(uExitCode);
}
