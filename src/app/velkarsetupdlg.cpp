#include "app/velkarsetupdlg.h"

#include "app/about.h"
#include "engine/font_step.h"
#include "framework/app.h"
#include "framework/handles.h"
#include "pages/dialog_surface.h"
#include "resources/resource_ids.h"
#include "wizard/appearance.h"
#include "wizard/control_ids.h"
#include "wizard/version_gate.h"

namespace velkor {

CVelkarSetupDlg::CVelkarSetupDlg(WizardState& state) : CVelkarSetupDlg(state, Overrides()) {}

CVelkarSetupDlg::CVelkarSetupDlg(WizardState& state, const Overrides& overrides)
    : fw::CDialog(IDD_VELKARSETUP_DIALOG),
      m_root(std::make_unique<WizardRoot>(
          Win32MainWindow::Parts{*this, m_ctrlProgress, m_picBanner, m_picAnimation}, state, overrides)) {
  m_brBackground.CreateSolidBrush(colorOf(wizard::kWhite));
  fw::CWinApp* app = fw::AfxGetApp();
  m_hIcon = app != nullptr ? app->LoadIcon(IDR_MAINFRAME) : nullptr;
}

CVelkarSetupDlg::~CVelkarSetupDlg() {
  m_picBanner.OnDestroy();
  m_picAnimation.OnDestroy();
}

void CVelkarSetupDlg::DoDataExchange(fw::CDataExchange* pDX) {
  fw::CDialog::DoDataExchange(pDX);
  fw::DDX_Control(pDX, ctl::kProgress, m_ctrlProgress);
  fw::DDX_Control(pDX, ctl::kBanner, m_picBanner);
  fw::DDX_Control(pDX, ctl::kAnimation, m_picAnimation);
  fw::DDX_Control(pDX, ctl::kTitle, m_title);
}

bool CVelkarSetupDlg::OnInitDialog() {
  fw::CDialog::OnInitDialog();
  m_dpi.Apply(*this);
  if (m_picBanner.Load(MAKEINTRESOURCEW(IDR_GIF_BANNER), L"GIF")) m_picBanner.Draw();
  if (m_picAnimation.Load(MAKEINTRESOURCEW(IDR_GIF_ANIMATION), L"GIF")) m_picAnimation.Draw();
  UpdateWindow();

  Win32DialogSurface surface(*this, &m_fontText, &m_fontTitle, &m_fontLine);
  const VersionRecord version = m_root->info().versionRecord();
  wizard::applyLayout(surface, wizard::layout::mainCommon(),
                      wizard::layout::mainForClass(wizard::layoutClass(version.major, version.minor)));

  // The FangSong font an earlier installation may have left behind.
  ::AddFontResourceW(wide(fonts::installedFangSong()));
  wizard::applyMainWindowFonts(surface);

  m_root->start();

  SetIcon(m_hIcon, true);
  SetIcon(m_hIcon, false);
  return true;
}

void CVelkarSetupDlg::OnDestroy() { m_dpi.Release(); }

bool CVelkarSetupDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN) {
    const wizard::Key key = msg->wParam == VK_ESCAPE  ? wizard::Key::kEscape
                            : msg->wParam == VK_RETURN ? wizard::Key::kEnter
                                                       : wizard::Key::kOther;
    if (m_root->flow().onKeyDown(key)) return true;
  }
  return fw::CDialog::PreTranslateMessage(msg);
}

bool CVelkarSetupDlg::OnCommand(WORD id, WORD code, HWND control) {
  if (code == BN_CLICKED && id == ctl::kCancelFinish) {
    m_root->flow().onCancelOrFinish();
    return true;
  }
  if (code == BN_CLICKED && id == ctl::kNext) {
    m_root->flow().onNext();
    return true;
  }
  return fw::CDialog::OnCommand(id, code, control);
}

void CVelkarSetupDlg::OnClose() {
  if (m_root->flow().onClose()) fw::CDialog::OnClose();
}

bool CVelkarSetupDlg::OnSysCommand(UINT id, LPARAM) {
  if ((id & 0xFFF0) == 0x0010) {
    CAboutDlg about;
    about.DoModal();
    return true;
  }
  return false;
}

bool CVelkarSetupDlg::OnLButtonDown(UINT, POINT point) {
  // A press on the client area drags the window as its caption would. The
  // message takes screen coordinates.
  ::ClientToScreen(m_hWnd, &point);
  PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
  return false;
}

HBRUSH CVelkarSetupDlg::OnCtlColor(HDC dc, HWND control, UINT ctlType) {
  if (ctlType == CTLCOLOR_DLG) return m_brBackground;
  if (const auto colour = wizard::mainTextColour(::GetDlgCtrlID(control))) {
    ::SetTextColor(dc, colorOf(*colour));
    ::SetBkMode(dc, TRANSPARENT);
    return m_brBackground;
  }
  return nullptr;
}

bool CVelkarSetupDlg::OnPaint() {
  if (!IsIconic()) return false;
  fw::PaintDC dc(m_hWnd);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
  const RECT client = GetClientRect();
  const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc.get(), x, y, m_hIcon);
  return true;
}

HICON CVelkarSetupDlg::OnQueryDragIcon() { return m_hIcon; }

}  // namespace velkor
