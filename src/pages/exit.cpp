#include "pages/exit.h"

#include "framework/app.h"
#include "pages/dialog_surface.h"
#include "resources/resource_ids.h"
#include "wizard/appearance.h"
#include "wizard/version_gate.h"

namespace velkor {

CExit::CExit(SystemInfo& info) : fw::CDialog(IDD_EXIT), m_info(info) {
  m_brBackground.CreateSolidBrush(colorOf(wizard::kWhite));
  fw::CWinApp* app = fw::AfxGetApp();
  m_hIcon = app != nullptr ? app->LoadIcon(IDR_MAINFRAME) : nullptr;
}

CExit::~CExit() {
  m_picBanner.OnDestroy();
  m_picAnimation.OnDestroy();
}

void CExit::DoDataExchange(fw::CDataExchange* pDX) {
  fw::CDialog::DoDataExchange(pDX);
  fw::DDX_Control(pDX, IDC_BANNER, m_picBanner);
  fw::DDX_Control(pDX, IDC_ANIMATION, m_picAnimation);
}

bool CExit::OnInitDialog() {
  fw::CDialog::OnInitDialog();
  m_dpi.Apply(*this);
  if (m_picBanner.Load(MAKEINTRESOURCEW(IDR_GIF_BANNER), L"GIF")) m_picBanner.Draw();
  if (m_picAnimation.Load(MAKEINTRESOURCEW(IDR_GIF_ANIMATION), L"GIF")) m_picAnimation.Draw();
  UpdateWindow();

  PlaceOverMainWindow(*this);
  Win32DialogSurface surface(*this, &m_fontText, nullptr, nullptr);
  const VersionRecord version = m_info.versionRecord();
  wizard::applyLayout(surface, wizard::layout::exitCommon(),
                      wizard::layout::exitForClass(wizard::layoutClass(version.major, version.minor)));
  KeepOnWorkArea(*this);
  wizard::applyExitFonts(surface);

  SetIcon(m_hIcon, true);
  SetIcon(m_hIcon, false);
  return true;
}

void CExit::OnDestroy() { m_dpi.Release(); }

void CExit::OnClose() { fw::CDialog::OnOK(); }

HBRUSH CExit::OnCtlColor(HDC dc, HWND control, UINT ctlType) {
  if (ctlType == CTLCOLOR_DLG) return m_brBackground;
  if (const auto colour = wizard::exitTextColour(::GetDlgCtrlID(control))) {
    ::SetTextColor(dc, colorOf(*colour));
    ::SetBkMode(dc, TRANSPARENT);
    return m_brBackground;
  }
  return nullptr;
}

}  // namespace velkor
