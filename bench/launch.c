/* Times how long programs take from CreateProcess until their first window is visible, then
   closes that window. Usage: launch RUNS PROGRAM...; the programs take turns, one round after
   another, after one round that is not timed. Prints one line per timed launch: the program's
   path and the milliseconds. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct {
  DWORD dwProcessId;
  HWND hwnd;
} FindWindowOf;

static BOOL CALLBACK FindVisible(HWND hwnd, LPARAM lParam) {
  FindWindowOf* find = (FindWindowOf*)lParam;
  DWORD dwProcessId = 0;
  GetWindowThreadProcessId(hwnd, &dwProcessId);
  if (dwProcessId != find->dwProcessId || !IsWindowVisible(hwnd)) return TRUE;
  find->hwnd = hwnd;
  return FALSE;
}

/* Milliseconds until the program's first visible window, or a negative number on failure. */
static double Launch(const char* pszPath) {
  char szCommand[MAX_PATH + 2]; /* the path in quotes */
  char szDir[MAX_PATH];
  STARTUPINFOA si;
  PROCESS_INFORMATION pi;
  FindWindowOf find;
  LARGE_INTEGER freq, start, shown;
  char* pszSlash;
  double ms = -1;

  if (lstrlenA(pszPath) >= MAX_PATH) {
    fprintf(stderr, "%s: path too long\n", pszPath);
    return -1;
  }
  /* The program runs in its own folder, beside whatever it reads. */
  lstrcpynA(szDir, pszPath, MAX_PATH);
  pszSlash = strrchr(szDir, '\\');
  if (pszSlash != NULL) *pszSlash = '\0';
  wsprintfA(szCommand, "\"%s\"", pszPath);
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  find.hwnd = NULL;

  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(pszPath, szCommand, NULL, NULL, FALSE, 0, NULL,
                      pszSlash != NULL ? szDir : NULL, &si, &pi)) {
    fprintf(stderr, "%s: cannot start it (error %lu)\n", pszPath, GetLastError());
    return -1;
  }
  find.dwProcessId = pi.dwProcessId;
  for (;;) {
    EnumWindows(FindVisible, (LPARAM)&find);
    if (find.hwnd != NULL) break;
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  QueryPerformanceCounter(&shown);
  if (find.hwnd != NULL) {
    ms = (double)(shown.QuadPart - start.QuadPart) * 1000.0 / (double)freq.QuadPart;
    PostMessageA(find.hwnd, WM_CLOSE, 0, 0);
  } else {
    fprintf(stderr, "%s: ended without showing a window\n", pszPath);
  }
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
    fprintf(stderr, "%s: still running after WM_CLOSE\n", pszPath);
    TerminateProcess(pi.hProcess, 1);
    ms = -1;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return ms;
}

int main(int argc, char** argv) {
  int nRuns, nRound, i;
  if (argc < 3 || (nRuns = atoi(argv[1])) < 1) {
    fprintf(stderr, "usage: launch RUNS PROGRAM...\n");
    return 2;
  }
  for (nRound = 0; nRound <= nRuns; ++nRound) {
    /* Every other round in the opposite order, so neither program always goes first. */
    for (i = 0; i < argc - 2; ++i) {
      const char* pszPath = argv[2 + (nRound % 2 ? argc - 3 - i : i)];
      double ms = Launch(pszPath);
      if (ms < 0) return 1;
      if (nRound > 0) printf("%s %.2f\n", pszPath, ms);
    }
  }
  return 0;
}
