/* Identifiers of the wizard's resources and of the controls of its dialogs.
   Plain macros: the resource compiler reads this file as well as C++. The
   portable core names its control identifiers after these
   (platform/main_window.h, wizard/control_ids.h). */
#ifndef VELKOR_RESOURCE_IDS_H
#define VELKOR_RESOURCE_IDS_H

/* Dialogs. */
#define IDD_ABOUTBOX 100
#define IDD_VELKARSETUP_DIALOG 102
#define IDD_TS 146
#define IDD_EXIT 148

/* Icon, bitmaps, animations. */
#define IDR_MAINFRAME 128
#define IDB_PICBT 171
#define IDB_TITLE 205
#define IDB_GRIP 207
#define IDB_FRAME 208
#define IDB_LICENCE_TITLE 209
#define IDR_GIF_BANNER 206
#define IDR_GIF_ANIMATION 210

/* Main wizard window (dialog 102). */
#define IDC_NEXT 1000
#define IDC_CANCEL_FINISH 1001
#define IDC_LINE1 1002
#define IDC_TITLE 1003
#define IDC_LINE2 1004
#define IDC_LINE3 1005
#define IDC_PROGRESS 1011
#define IDC_STATUS 1012
#define IDC_BANNER 1013
#define IDC_SEPARATOR 1014
#define IDC_GRIP 1015
#define IDC_ANIMATION 1018

/* Licence page (dialog 146); buttons 1 and 2 are IDOK and IDCANCEL. */
#define IDC_TS_BACK 3
#define IDC_TS_TITLE 1006
#define IDC_TS_TEXT 1007
#define IDC_TS_INSTRUCTION 1010
#define IDC_TS_FRAME 1016
#define IDC_TS_AGREE 1017

/* The exit confirmation (dialog 148) uses 1, 2, 1002 to 1005, 1013 to 1015
   and 1018 as the main window does. */

#endif
