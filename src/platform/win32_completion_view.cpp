#include <windows.h>

#include "framework/dialog.h"
#include "platform/win32_finish_ports.h"

namespace velkor {

// CDialog::OnOK is the dialog's own; from outside it is the same two steps.
void Win32CompletionView::endWithOk() {
  if (dialog_.UpdateData(true)) dialog_.EndDialog(IDOK);
}

void Win32CompletionView::endDialog(int result) { dialog_.EndDialog(result); }

void Win32CompletionView::sendCloseCommand() {
  SendMessageW(dialog_.GetSafeHwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
}

}  // namespace velkor
