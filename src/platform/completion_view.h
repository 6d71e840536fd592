// The three ways the finish ends the modal wizard dialog. Each takes effect
// once the running handler returns.
#pragma once

namespace velkor {

class CompletionView {
 public:
  virtual ~CompletionView() = default;
  // The dialog's OK handling: data exchange back, then the end with IDOK.
  virtual void endWithOk() = 0;
  // EndDialog(result).
  virtual void endDialog(int result) = 0;
  // WM_SYSCOMMAND SC_CLOSE sent to the dialog: its own close handling runs.
  virtual void sendCloseCommand() = 0;
};

}  // namespace velkor
