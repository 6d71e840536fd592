/* The minimal dialog program's one dialog (read by the resource compiler too). */
#define IDD_MINIMAL 101
