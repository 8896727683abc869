/* Resource ids, shared by the resource script and the C++ code. */
#pragma once

#define IDD_SETUP 103
#define IDI_SETUP 107
#define IDA_SETUP 109
#define IDR_APPLICATION 129
#define IDR_LICENSE 130
#define IDR_UNINSTALLER 133

#define IDC_LICENSE_TEXT 1000
#define IDC_ACCEPT 1001
#define IDC_INSTALL 1004
#define IDC_LAUNCH 1005

/* The accelerators' command: no handler acts on it. */
#define IDM_ABOUT 104
