// CAboutDlg: the About box (dialog 100), opened by the system command 0x0010.
// Its only behaviour is its layout at the display's DPI.
#pragma once

#include "framework/dialog.h"
#include "pages/dpi_scaling.h"

namespace velkor {

class CAboutDlg : public fw::CDialog {
 public:
  CAboutDlg();

 protected:
  bool OnInitDialog() override;
  void OnDestroy() override;

 private:
  DpiScaling m_dpi;
};

}  // namespace velkor
