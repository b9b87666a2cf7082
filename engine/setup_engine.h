// The installation engine's free functions; PerformOperation itself is a member of the
// Install / Uninstall page, whose state it works on.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include "platform/str.h"
#include "platform/win_app.h"

// Caption of the engine's own boxes.
extern const char kEngineCaption[];

// Answers the setup API's file notifications: a file that cannot be deleted is skipped without
// a prompt; everything else gets the default handling and windows.
UINT CALLBACK FileQueueCallback(PVOID pvContext, UINT nNotification, UINT_PTR nParam1,
                                UINT_PTR nParam2);

// Shows the system's text for the calling thread's last error, unless the user cancelled.
void ReportLastSetupError(HWND hOwner);

// Stores the starting COM number and the Wait on Tx mode under the service key's Parameters
// subkey. Failures are shown in Warning boxes and do not fail the installation.
void WritePortParameters(HKEY hServiceKey, int nComNumber, int nWaitOnTx);
