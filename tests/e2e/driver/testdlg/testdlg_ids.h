// Identifiers and texts of the driver's own test dialog, shared by the dialog
// program and the driver's self-test.
#pragma once

#define TESTDLG_DIALOG 200
#define TESTDLG_STATUS 1101   /* static: what happened last */
#define TESTDLG_CHANGE 1102   /* button: rewrites the status */
#define TESTDLG_OPTION 1103   /* automatic check box */
#define TESTDLG_OPTION_STATE 1104  /* static: mirrors the check box */
#define TESTDLG_LATER 1105    /* button: shows a second dialog after a delay */
#define TESTDLG_SECOND 201
#define TESTDLG_SECOND_TEXT 1201

#define TESTDLG_EXIT_ESCAPE 7  /* exit code when Esc closed the dialog */
#define TESTDLG_EXIT_CLOSE 9   /* exit code after a close request */
