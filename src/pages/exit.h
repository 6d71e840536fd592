// CExit: asks whether the setup really should end when the licence page is
// cancelled. IDOK means leave ("是(&Y)", Enter, the close box); anything else
// means go back to the licence page.
#pragma once

#include <windows.h>

#include "controls/pictureex/picture_ex.h"
#include "framework/dialog.h"
#include "framework/gdi.h"
#include "pages/dpi_scaling.h"
#include "platform/system_info.h"

namespace velkor {

class CExit : public fw::CDialog {
 public:
  explicit CExit(SystemInfo& info);
  ~CExit() override;

  CPictureEx m_picBanner;
  CPictureEx m_picAnimation;

 protected:
  void DoDataExchange(fw::CDataExchange* pDX) override;
  bool OnInitDialog() override;
  void OnDestroy() override;
  // The close box leaves the setup, exactly like "是(&Y)".
  void OnClose() override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlType) override;

 private:
  SystemInfo& m_info;
  fw::CBrush m_brBackground;
  HICON m_hIcon;  // shared icon resource: not destroyed
  fw::CFont m_fontText;
  DpiScaling m_dpi;
};

}  // namespace velkor
