/* A stranger's setupapi.dll, left beside setup.exe: once loaded, it leaves a file of its own
   name and ".loaded" beside itself. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE hinstDll, DWORD dwReason, LPVOID pvReserved) {
  char szPath[MAX_PATH + 8];
  (void)pvReserved;
  if (dwReason == DLL_PROCESS_ATTACH &&
      GetModuleFileNameA(hinstDll, szPath, MAX_PATH) < MAX_PATH) {
    lstrcatA(szPath, ".loaded");
    CloseHandle(CreateFileA(szPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
  }
  return TRUE;
}
