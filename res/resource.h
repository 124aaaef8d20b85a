#pragma once

// Resource ids shared by the dialog program and the Windows resource script.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_TITLE_DIALOG 102
#define IDS_CHECKLIBRARY 103
#define IDS_RULES 104
#define IDS_FORMULA 105
#define IDS_PREVIEW 106
#define IDR_MAINFRAME 128

#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDC_TITLE_COUNT 1000
#define IDC_OPEN_LIBRARY 1001
#define IDC_CORE_WORD 1002
#define IDC_TITLE_LENGTH 1003
#define IDC_SEPARATOR 1005

// System menu commands of the About, check and rules entries; the low four
// bits belong to the system.
#define IDM_ABOUTBOX 0x0010
#define IDM_CHECKLIBRARY 0x0030
#define IDM_RULES 0x0040
#define IDM_FORMULA 0x0050
#define IDM_PREVIEW 0x0060
