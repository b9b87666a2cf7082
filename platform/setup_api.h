// The setup API, taken from the system folder alone. NT4's loader would take a SETUPAPI.DLL
// that lies beside the program, or in the current folder, before the system's own, since it is
// not one of the KnownDLLs; so the program does not import it. The calls keep the platform's
// names and go through a table of the program's own, which LoadSetupApi fills.
#pragma once

#include <windows.h>

// Loads the system folder's SETUPAPI.DLL and fills the table, once; it stays loaded. False,
// after a Warning box that says what is missing and why, when the library or one of the
// program's functions in it cannot be had.
bool LoadSetupApi();

// The table: each function the program calls, by name, and where its calls find it. A test
// may put a stand-in there.
struct SetupApiEntry {
  const char* pszName;
  FARPROC* ppfn;
};
constexpr int kSetupApiFunctions = 11;
extern const SetupApiEntry g_setupApi[kSetupApiFunctions];
