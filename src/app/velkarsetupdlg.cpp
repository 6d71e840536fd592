#include "app/velkarsetupdlg.h"

#include <mmsystem.h>

#include "app/about.h"
#include "engine/completion.h"
#include "engine/installation.h"
#include "engine/machine_number.h"
#include "engine/paced_progress.h"
#include "engine/font_step.h"
#include "framework/app.h"
#include "framework/handles.h"
#include "framework/system_library.h"
#include "pages/dialog_surface.h"
#include "pages/ts.h"
#include "platform/win32_finish_ports.h"
#include "platform/win32_registry.h"
#include "platform/win32_system.h"
#include "resources/resource_ids.h"
#include "wizard/appearance.h"
#include "wizard/version_gate.h"

namespace velkor {

// Every port of the installation and the finish, on the real system, and the
// setup file, held from the wizard's start so that nobody can change or swap
// it before the installation has read it.
struct CVelkarSetupDlg::RealPorts {
  explicit RealPorts(fw::CDialog& dialog) : setup(holdSetupFile(system)), completionView(dialog) {}
  Win32System system;
  SetupFile setup;
  win32::Win32Registry registry;
  Win32FontTable fonts;
  Win32Libraries libraries;
  Win32SpecialFolders folders;
  Win32ShellLinks links;
  Win32ShellExecutor executor;
  Win32Processes processes;
  Win32Session session;
  Win32CompletionView completionView;
};

// The licence page, run modally with the main window hidden.
class CVelkarSetupDlg::RealLicence : public wizard::LicencePage {
 public:
  explicit RealLicence(SystemInfo& info) : info_(info) {}
  wizard::LicenceOutcome run() override {
    CTs page(info_);
    page.DoModal();
    return page.outcome();
  }

 private:
  SystemInfo& info_;
};

// The engine's whole installation behind the flow's Installer.
class CVelkarSetupDlg::RealInstaller : public wizard::Installer {
 public:
  RealInstaller(RealPorts& ports, CVelkarSetupDlg& window) : ports_(ports), window_(window) {}
  void run() override {
    // The bar repaints at its pace, not at each of its hundreds of steps.
    PacedProgressView paced(window_);
    Installation(InstallationPorts{ports_.system, ports_.registry, ports_.fonts, ports_.libraries,
                                   ports_.folders, ports_.links},
                 paced, window_.m_state, window_.m_machineNumber, ports_.setup)
        .run();
  }

 private:
  RealPorts& ports_;
  CVelkarSetupDlg& window_;
};

// The engine's Cancel/Finish command.
class CVelkarSetupDlg::RealFinisher : public wizard::Finisher {
 public:
  RealFinisher(RealPorts& p, CVelkarSetupDlg& window)
      : completion_(Completion::Ports{p.system, p.system, p.fonts, p.registry, p.system, p.executor,
                                      p.processes, p.session, window, p.completionView},
                    window.m_state) {}
  void onCancelOrFinish() override { completion_.OnCancelOrFinish(); }

 private:
  Completion completion_;
};

CVelkarSetupDlg::CVelkarSetupDlg(WizardState& state) : CVelkarSetupDlg(state, Overrides()) {}

CVelkarSetupDlg::CVelkarSetupDlg(WizardState& state, const Overrides& overrides)
    : fw::CDialog(IDD_VELKARSETUP_DIALOG),
      m_state(state),
      m_ports(std::make_unique<RealPorts>(*this)) {
  m_info = overrides.info != nullptr ? overrides.info : &m_ports->system;
  m_realLicence = std::make_unique<RealLicence>(*m_info);
  m_realInstaller = std::make_unique<RealInstaller>(*m_ports, *this);
  m_realFinisher = std::make_unique<RealFinisher>(*m_ports, *this);
  m_flow = std::make_unique<wizard::WizardFlow>(
      wizard::WizardFlow::Ports{
          *this, *this, m_ports->completionView, *m_info,
          overrides.licence != nullptr ? *overrides.licence : *m_realLicence,
          overrides.installer != nullptr ? *overrides.installer : *m_realInstaller,
          overrides.finisher != nullptr ? *overrides.finisher : *m_realFinisher},
      m_state);
  m_brBackground.CreateSolidBrush(colorOf(wizard::kWhite));
  fw::CWinApp* app = fw::AfxGetApp();
  m_hIcon = app != nullptr ? app->LoadIcon(IDR_MAINFRAME) : nullptr;
}

CVelkarSetupDlg::~CVelkarSetupDlg() {
  // The idle check reads through this window's ports.
  if (fw::CWinApp* app = fw::AfxGetApp()) app->m_idleWork = nullptr;
  m_picBanner.OnDestroy();
  m_picAnimation.OnDestroy();
}

void CVelkarSetupDlg::DoDataExchange(fw::CDataExchange* pDX) {
  fw::CDialog::DoDataExchange(pDX);
  fw::DDX_Control(pDX, IDC_PROGRESS, m_ctrlProgress);
  fw::DDX_Control(pDX, IDC_BANNER, m_picBanner);
  fw::DDX_Control(pDX, IDC_ANIMATION, m_picAnimation);
  fw::DDX_Control(pDX, IDC_TITLE, m_title);
}

bool CVelkarSetupDlg::OnInitDialog() {
  fw::CDialog::OnInitDialog();
  if (m_picBanner.Load(MAKEINTRESOURCEW(IDR_GIF_BANNER), L"GIF")) m_picBanner.Draw();
  if (m_picAnimation.Load(MAKEINTRESOURCEW(IDR_GIF_ANIMATION), L"GIF")) m_picAnimation.Draw();
  UpdateWindow();

  Win32DialogSurface surface(*this, &m_fontText, &m_fontTitle, &m_fontLine);
  const VersionRecord version = m_info->versionRecord();
  wizard::applyLayout(surface, wizard::layout::mainCommon(),
                      wizard::layout::mainForClass(wizard::layoutClass(version.major, version.minor)));

  // The FangSong font an earlier installation may have left behind.
  ::AddFontResourceW(wide(fonts::installedFangSong()));
  wizard::applyMainWindowFonts(surface);

  EnableShutdownPrivilege();
  m_machineNumber = computeMachineNumber(m_ports->system.volumeSerial(kMachineNumberVolume));
  m_flow->applyVersionGate();

  SetIcon(m_hIcon, true);
  SetIcon(m_hIcon, false);

  // The setup file's check runs a block at a time while the window waits for
  // the user, so that the installation finds it done.
  if (fw::CWinApp* app = fw::AfxGetApp())
    app->m_idleWork = [this] { return advanceSetupCheck(m_ports->system, m_ports->setup); };
  return true;
}

void CVelkarSetupDlg::EnableShutdownPrivilege() {
  // The privilege stays enabled for the rest of the process, so that a
  // log-off at the finish is allowed. The token is opened once and held until
  // the process ends, the privilege block written once beside it; a later
  // initialisation adjusts through the same handle rather than opening
  // another.
  static HANDLE token = nullptr;
  static TOKEN_PRIVILEGES privileges{};
  if (token == nullptr) {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) return;
    token = opened;
    ::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  }
  ::AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
}

bool CVelkarSetupDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN) {
    const wizard::Key key = msg->wParam == VK_ESCAPE  ? wizard::Key::kEscape
                            : msg->wParam == VK_RETURN ? wizard::Key::kEnter
                                                       : wizard::Key::kOther;
    if (m_flow->onKeyDown(key)) return true;
  }
  return fw::CDialog::PreTranslateMessage(msg);
}

bool CVelkarSetupDlg::OnCommand(WORD id, WORD code, HWND control) {
  if (code == BN_CLICKED && id == IDC_CANCEL_FINISH) {
    m_flow->onCancelOrFinish();
    return true;
  }
  if (code == BN_CLICKED && id == IDC_NEXT) {
    m_flow->onNext();
    return true;
  }
  return fw::CDialog::OnCommand(id, code, control);
}

void CVelkarSetupDlg::OnClose() {
  if (m_flow->onClose()) fw::CDialog::OnClose();
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

// --- WizardView --------------------------------------------------------------

void CVelkarSetupDlg::setText(int control, const std::u16string& text) {
  ::SetDlgItemTextW(m_hWnd, control, wide(text));
}

void CVelkarSetupDlg::show(int control, bool visible) {
  ::ShowWindow(GetDlgItem(control), visible ? SW_SHOW : SW_HIDE);
}

void CVelkarSetupDlg::setProgressRange(std::uint16_t lower, std::uint16_t upper) {
  m_ctrlProgress.SetRange(lower, upper);
}
void CVelkarSetupDlg::setProgressStep(int step) { m_ctrlProgress.SetStep(step); }
void CVelkarSetupDlg::setProgressPos(int pos) { m_ctrlProgress.SetPos(pos); }
void CVelkarSetupDlg::stepProgress() { m_ctrlProgress.StepIt(); }
void CVelkarSetupDlg::pumpMessages() { fw::PumpWaitingMessages(); }

int CVelkarSetupDlg::messageBox(const std::u16string& text, const std::u16string& caption, unsigned style) {
  return ::MessageBoxW(m_hWnd, wide(text), wide(caption), style);
}

void CVelkarSetupDlg::updateWindow() { UpdateWindow(); }

void CVelkarSetupDlg::stopAnimation(int control) {
  if (control == IDC_BANNER) m_picBanner.OnDestroy();
  else if (control == IDC_ANIMATION) m_picAnimation.OnDestroy();
}

// --- WizardWindow ------------------------------------------------------------

void CVelkarSetupDlg::showWindow(bool visible) { ShowWindow(visible ? SW_SHOW : SW_HIDE); }

void CVelkarSetupDlg::moveControl(int control, int dx, int dy) {
  fw::CWnd item(GetDlgItem(control));
  RECT r = item.GetWindowRect();
  ScreenToClient(&r);
  item.MoveWindow(r.left + dx, r.top + dy, r.right - r.left, r.bottom - r.top, true);
}

void CVelkarSetupDlg::playSound() {
  // winmm from the system directory, looked up once and kept for the
  // process: the sound plays on after the call returns.
  using PlaySoundFn = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);
  static const PlaySoundFn play = [] {
    HMODULE winmm = fw::LoadSystemLibrary(L"winmm.dll");
    return winmm != nullptr ? reinterpret_cast<PlaySoundFn>(
                                  reinterpret_cast<void*>(::GetProcAddress(winmm, "PlaySoundW")))
                            : nullptr;
  }();
  fw::CWinApp* app = fw::AfxGetApp();
  if (play != nullptr) play(L"IDR_INFO", app != nullptr ? app->m_hInstance : nullptr, SND_RESOURCE | SND_ASYNC);
}

void CVelkarSetupDlg::enableCloseItem(bool enabled) {
  // The Close command by its identifier: it is the last item only where the
  // system adds nothing after it (Wine appends "About Wine"). Greying it also
  // disables the close box.
  ::EnableMenuItem(GetSystemMenu(false), SC_CLOSE, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace velkor
