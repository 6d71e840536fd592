// CAboutDlg: the About box (dialog 100), opened by the system command 0x0010.
// It has no behaviour of its own.
#pragma once

#include "framework/dialog.h"

namespace velkor {

class CAboutDlg : public fw::CDialog {
 public:
  CAboutDlg();
};

}  // namespace velkor
