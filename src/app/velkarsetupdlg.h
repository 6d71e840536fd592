// CVelkarSetupDlg: the main wizard window (dialog 102). One dialog shows every
// page (welcome, refusal, progress, failure, finish) by relabelling, showing
// and hiding its controls; the page machine is the portable WizardFlow. This
// class holds the message handlers: it sets up its look at initialisation and
// hands commands, keys and close requests to the flow, which reaches the
// window back through the main window's port. The wizard behind it is put
// together in WizardRoot.
#pragma once

#include <windows.h>

#include <memory>

#include "app/title_static.h"
#include "app/wizard_root.h"
#include "controls/pictureex/picture_ex.h"
#include "engine/wizard_state.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/gdi.h"
#include "pages/dpi_scaling.h"

namespace velkor {

class CVelkarSetupDlg : public fw::CDialog {
 public:
  using Overrides = WizardRoot::Overrides;

  explicit CVelkarSetupDlg(WizardState& state);
  CVelkarSetupDlg(WizardState& state, const Overrides& overrides);
  ~CVelkarSetupDlg() override;

  // The keyboard rules: Esc and Enter never reach the dialog manager.
  bool PreTranslateMessage(MSG* msg) override;

  // The main window's port on this dialog.
  MainWindow& mainWindow() { return m_root->window(); }

  fw::CProgressCtrl m_ctrlProgress;
  CPictureEx m_picBanner;
  CPictureEx m_picAnimation;
  CTitleStatic m_title;

 protected:
  void DoDataExchange(fw::CDataExchange* pDX) override;
  bool OnInitDialog() override;
  void OnDestroy() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlType) override;
  bool OnPaint() override;
  bool OnSysCommand(UINT id, LPARAM lParam) override;
  bool OnLButtonDown(UINT flags, POINT point) override;
  void OnClose() override;
  HICON OnQueryDragIcon() override;

 private:
  // After the controls: the port it builds works on them.
  std::unique_ptr<WizardRoot> m_root;

  fw::CBrush m_brBackground;
  fw::CFont m_fontText;
  fw::CFont m_fontTitle;
  fw::CFont m_fontLine;
  HICON m_hIcon;  // shared icon resource: not destroyed
  DpiScaling m_dpi;
};

}  // namespace velkor
