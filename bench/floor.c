/* The floor for setup.exe's size and start-up: a plain C program that shows one dialog from
   a template and ends when it closes. Built with the same toolchain and flags, so it too starts
   at its own entry point, with no C run-time. */
#include <windows.h>

static INT_PTR CALLBACK FloorProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (uMsg == WM_INITDIALOG) return TRUE;
  if (uMsg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(hDlg, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

void WinMainCRTStartup(void) {
  ExitProcess(
      (UINT)DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(1), NULL, FloorProc, 0));
}
