// Resource ids shared by the dialog code and setup.rc.
#ifndef SETUP_RES_RESOURCE_H
#define SETUP_RES_RESOURCE_H

// Dialog templates
#define IDD_WELCOME 101
#define IDD_OPERATION 102
#define IDD_LICENCE 133
#define IDD_COM_PORT 136

// Program icon
#define IDI_PROGRAM 128

// Controls
#define IDC_INSTALL 1001
#define IDC_UNINSTALL 1002
#define IDC_INF_FILE 1004
#define IDC_LICENCE_TEXT 1005
#define IDC_NEXT 1007
#define IDC_STATUS 1008
#define IDC_START_COM 1012
#define IDC_NEXT_AVAILABLE 1013
#define IDC_WAIT_ON_TX 1014

#endif  // SETUP_RES_RESOURCE_H
