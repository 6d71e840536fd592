// CVelkarSetupDlg: the main wizard window (dialog 102). One dialog shows every
// page (welcome, refusal, progress, failure, finish) by relabelling, showing
// and hiding its controls; the page machine is the portable WizardFlow, and
// this class is its window: the WizardView of the engine and the flow, and
// the WizardWindow of the flow, each method one platform call.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "app/title_static.h"
#include "controls/pictureex/picture_ex.h"
#include "engine/wizard_state.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/gdi.h"
#include "platform/system_info.h"
#include "platform/wizard_view.h"
#include "wizard/wizard_flow.h"

namespace velkor {

class CVelkarSetupDlg : public fw::CDialog, public WizardView, public wizard::WizardWindow {
 public:
  // What a test may put in place of the real licence page, installation,
  // finish and version source; null members take the real ones.
  struct Overrides {
    wizard::LicencePage* licence = nullptr;
    wizard::Installer* installer = nullptr;
    wizard::Finisher* finisher = nullptr;
    SystemInfo* info = nullptr;
  };

  explicit CVelkarSetupDlg(WizardState& state);
  CVelkarSetupDlg(WizardState& state, const Overrides& overrides);
  ~CVelkarSetupDlg() override;

  // The keyboard rules: Esc and Enter never reach the dialog manager.
  bool PreTranslateMessage(MSG* msg) override;

  // --- WizardView -----------------------------------------------------------
  void setText(int control, const std::u16string& text) override;
  void show(int control, bool visible) override;
  void setProgressRange(std::uint16_t lower, std::uint16_t upper) override;
  void setProgressStep(int step) override;
  void setProgressPos(int pos) override;
  void stepProgress() override;
  void pumpMessages() override;
  int messageBox(const std::u16string& text, const std::u16string& caption, unsigned style) override;
  void updateWindow() override;
  void stopAnimation(int control) override;

  // --- WizardWindow ---------------------------------------------------------
  void showWindow(bool visible) override;
  void moveControl(int control, int dx, int dy) override;
  void playSound() override;
  void enableCloseItem(bool enabled) override;

  fw::CProgressCtrl m_ctrlProgress;
  CPictureEx m_picBanner;
  CPictureEx m_picAnimation;
  CTitleStatic m_title;
  std::int32_t m_machineNumber = 0;

 protected:
  void DoDataExchange(fw::CDataExchange* pDX) override;
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlType) override;
  bool OnPaint() override;
  bool OnSysCommand(UINT id, LPARAM lParam) override;
  bool OnLButtonDown(UINT flags, POINT point) override;
  void OnClose() override;
  HICON OnQueryDragIcon() override;

 private:
  struct RealPorts;
  class RealLicence;
  class RealInstaller;
  class RealFinisher;

  void EnableShutdownPrivilege();

  WizardState& m_state;
  std::unique_ptr<RealPorts> m_ports;
  std::unique_ptr<RealLicence> m_realLicence;
  std::unique_ptr<RealInstaller> m_realInstaller;
  std::unique_ptr<RealFinisher> m_realFinisher;
  std::unique_ptr<wizard::WizardFlow> m_flow;
  SystemInfo* m_info = nullptr;

  fw::CBrush m_brBackground;
  fw::CFont m_fontText;
  fw::CFont m_fontTitle;
  fw::CFont m_fontLine;
  HICON m_hIcon;  // shared icon resource: not destroyed
};

}  // namespace velkor
