// src/res/resource.h
// Resource ids, shared by the code and the templates. The numbers are
// fixed: other programs (and the tests) find the controls by them.
#pragma once

// Templates and images
#define IDD_FRAME 101
#define IDB_PICTURE 102
#define IDD_MENU 103
#define IDD_OPTIONS 104
#define IDI_SETUP 104
#define IDD_PROGRESS 105

// Start page (IDD_MENU)
#define IDC_INSTALL 1000
#define IDC_LAUNCH 1001
#define IDC_EXIT 1002

// Options page (IDD_OPTIONS)
#define IDC_BACK 1003
#define IDC_START 1004
#define IDC_BROWSE 1005
#define IDC_FOLDER 1006
#define IDC_FULL 1007
#define IDC_MINIMAL 1008
#define IDC_NOTE 1014

// Progress page (IDD_PROGRESS)
#define IDC_FILE_BAR 1009
#define IDC_TOTAL_BAR 1010
#define IDC_ABORT 1011
#define IDC_FILE_LINE 1012
#define IDC_COUNT_LINE 1013

// Controls that nothing refers to
#define IDC_NONE -1
