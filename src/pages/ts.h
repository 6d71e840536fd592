// CTs: the licence-agreement page. Its first button is "back" while the
// agreement box is clear and "install" while it is ticked; Cancel asks the
// exit confirmation. The Next command reads the outcome after the page closed.
#pragma once

#include <windows.h>

#include <string>

#include "controls/faceedit/face_edit.h"
#include "framework/dialog.h"
#include "framework/gdi.h"
#include "pages/dpi_scaling.h"
#include "platform/system_info.h"
#include "wizard/licence_logic.h"

namespace velkor {

class CTs : public fw::CDialog {
 public:
  explicit CTs(SystemInfo& info);
  ~CTs() override;

  wizard::LicenceOutcome outcome() const { return m_logic.outcome(); }

  CFaceEdit m_faceEdit;
  // The accepted, cancelled and back-pending flags.
  wizard::LicenceLogic m_logic;
  std::wstring m_strText;

 protected:
  void DoDataExchange(fw::CDataExchange* pDX) override;
  bool OnInitDialog() override;
  void OnDestroy() override;
  void OnOK() override;
  void OnCancel() override;
  bool OnButtonClicked(int id) override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlType) override;

 private:
  void OnBack();
  void OnAgree();
  bool AgreeTicked();

  SystemInfo& m_info;
  fw::CBrush m_brBackground;
  HICON m_hIcon;  // shared icon resource: not destroyed
  fw::CFont m_fontTitle;
  fw::CFont m_fontText;
  DpiScaling m_dpi;
};

}  // namespace velkor
