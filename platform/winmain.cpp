// Start-up: the application object's InitInstance is the whole run. The program has no main
// window, so there is no message loop to enter afterwards.
#include <windows.h>

#include "platform/win_app.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return 1;
  app->m_hInstance = hInstance;
  app->InitInstance();
  return 0;
}
