// The built setup file driven like a user, in a fresh prefix per run: the
// welcome page's texts and layout, the refusal page of each refused version,
// the licence page, the exit confirmation, the About box, a second instance,
// an installation to the finish page and the failure page. Every page is
// photographed into VELKOR_SHOTS.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "window_driver.h"
#include "win/finish_win_support.h"
#include "lib/wine_env.h"
#include "wizard/appearance.h"
#include "wizard/version_gate.h"

namespace velkor::e2e {
namespace {

using testenv::currentWindowsVersion;

const std::wstring kWelcomeLine1 = L"现在将安装  Velkor超级文件加密器  到您的电脑中。";
const std::wstring kWelcomeLine2 = L"推荐您在安装之前关闭所有其它应用程序。";
const std::wstring kWelcomeLine3 = L"单击 “下一步” 继续，或单击 “取消” 退出安装。";
const std::wstring kBackCaption = L"< 上一步 (&B)";
const std::wstring kInstallCaption = L"安装 (&I)";

std::string narrow(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
  return s;
}

// The control rectangles (client coordinates) and the window size of one of
// the setup's dialog templates, made here from the setup file's resources
// exactly as the system makes them there, before any correction.
struct TemplateLayout {
  std::map<int, RECT> controls;
  SIZE window{};
};

INT_PTR CALLBACK inertDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TemplateLayout templateLayout(const std::wstring& setup, int dialogId) {
  static HMODULE richEdit = LoadLibraryW(L"riched32.dll");
  (void)richEdit;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  TemplateLayout layout;
  HMODULE module = LoadLibraryExW(setup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return layout;
  HWND dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(dialogId), nullptr, inertDialog, 0);
  if (dialog != nullptr) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      layout.controls[GetDlgCtrlID(child)] = clientRectOf(dialog, GetDlgCtrlID(child));
    const RECT r = windowRect(dialog);
    layout.window = {r.right - r.left, r.bottom - r.top};
    DestroyWindow(dialog);
  }
  FreeLibrary(module);
  return layout;
}

// Adds every line of the tables to the template's rectangles.
std::map<int, wizard::Rect> corrected(const TemplateLayout& t, std::initializer_list<wizard::MoveTable> tables,
                                      std::initializer_list<wizard::Move> extra = {}) {
  std::map<int, wizard::Rect> out;
  for (const auto& [id, r] : t.controls) out[id] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
  out[0] = {0, 0, static_cast<int>(t.window.cx), static_cast<int>(t.window.cy)};
  for (const auto& table : tables)
    for (const auto& m : table) out[m.target] = wizard::applyMove(out[m.target], m);
  for (const auto& m : extra) out[m.target] = wizard::applyMove(out[m.target], m);
  return out;
}

// Compares the running dialog's controls with the expected rectangles.
// Picture controls take their picture's size, so only their place counts.
void expectLayout(HWND dialog, const std::map<int, wizard::Rect>& expected,
                  std::initializer_list<int> placeOnly = {}) {
  const RECT w = windowRect(dialog);
  EXPECT_EQ(w.right - w.left, expected.at(0).width) << "window width";
  EXPECT_EQ(w.bottom - w.top, expected.at(0).height) << "window height";
  for (const auto& [id, want] : expected) {
    if (id == 0 || id == -1 || id == 0xFFFF) continue;
    SCOPED_TRACE("control " + std::to_string(id));
    const RECT got = clientRectOf(dialog, id);
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    if (std::find(placeOnly.begin(), placeOnly.end(), id) != placeOnly.end()) continue;
    EXPECT_EQ(got.right - got.left, want.width);
    EXPECT_EQ(got.bottom - got.top, want.height);
  }
}

wizard::LayoutClass currentLayoutClass() {
  const auto& v = currentWindowsVersion();
  return wizard::layoutClass(v.major, v.minor);
}

bool processRunning(const wchar_t* exeName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry))
    if (_wcsicmp(entry.szExeFile, exeName) == 0) found = true;
  CloseHandle(snapshot);
  return found;
}

class Wizard : public ::testing::Test {
 protected:
  void SetUp() override {
    setup_ = pathFromEnvironment("VELKOR_SETUP_FILE");
    ASSERT_FALSE(setup_.empty()) << "VELKOR_SETUP_FILE names the setup file";
    ASSERT_NE(GetFileAttributesW(setup_.c_str()), INVALID_FILE_ATTRIBUTES) << narrow(setup_);
  }

  // Starts the setup and waits for its main window.
  HWND start() {
    run_ = std::make_unique<SetupRun>(setup_);
    if (!run_->start()) return nullptr;
    return run_->waitFor(Page::kMain);
  }

  // Next, then the licence page.
  HWND openLicence(HWND main) {
    click(main, 1000);
    return run_->waitFor(Page::kLicence);
  }

  void shot(HWND hwnd, const std::string& name) {
    const std::wstring file = screenshot(hwnd, name);
    const RECT r = windowRect(hwnd);
    if (!file.empty())
      std::printf("screenshot: %s (window at %ld,%ld size %ldx%ld)\n", narrow(file).c_str(), r.left, r.top,
                  r.right - r.left, r.bottom - r.top);
  }

  void expectEnds() {
    DWORD code = 99;
    ASSERT_TRUE(run_->waitExit(15000, &code)) << "the wizard ends";
    EXPECT_EQ(code, 0u);
  }

  std::wstring setup_;
  std::unique_ptr<SetupRun> run_;
};

// ---- welcome ----------------------------------------------------------------

TEST_F(Wizard, WelcomePageTextsAndLayout) {
  HWND main = start();
  ASSERT_NE(main, nullptr) << "the main window appears";
  EXPECT_EQ(text(main, 1000), L"下一步(&N) >");
  EXPECT_EQ(text(main, 1001), L"取消");
  EXPECT_EQ(text(main, 1002), kWelcomeLine1) << "without Yahei the resource texts stay";
  EXPECT_EQ(text(main, 1004), kWelcomeLine2);
  EXPECT_EQ(text(main, 1005), kWelcomeLine3);
  EXPECT_TRUE(visible(main, 1000));
  EXPECT_TRUE(visible(main, 1018));
  EXPECT_FALSE(visible(main, 1011));
  EXPECT_FALSE(visible(main, 1012));
  const auto expected = corrected(templateLayout(setup_, 102),
                                  {wizard::layout::mainCommon(), wizard::layout::mainForClass(currentLayoutClass())});
  expectLayout(main, expected, {1013, 1018});
  const RECT banner = clientRectOf(main, 1013);
  EXPECT_EQ(banner.right - banner.left, 136) << "the banner shows GIF 206";
  EXPECT_EQ(banner.bottom - banner.top, 232);
  shot(main, "welcome");
  key(main, VK_ESCAPE);
  expectEnds();
}

TEST_F(Wizard, WelcomePageWithYahei) {
  for (const wchar_t* file : {L"MSYH.TTF", L"MSYH.TTC"}) {
    SCOPED_TRACE(narrow(file));
    DeleteFileW(L"C:\\WINDOWS\\Fonts\\MSYH.TTF");
    ASSERT_TRUE(installYahei(file));
    HWND main = start();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(text(main, 1002), L"现在将安装 Velkor超级文件加密器 到您的电脑中。");
    EXPECT_EQ(text(main, 1005), L"单击“下一步”继续, 或单击“取消”退出安装。");
    EXPECT_EQ(text(main, 1004), kWelcomeLine2);
    const auto expected =
        corrected(templateLayout(setup_, 102),
                  {wizard::layout::mainCommon(), wizard::layout::mainForClass(currentLayoutClass())},
                  {{1005, 1, 0, 0, 0}});
    expectLayout(main, expected, {1013, 1018});
    shot(main, std::string("welcome-yahei-") + (file[7] == L'F' ? "ttf" : "ttc"));
    click(main, 1001);
    expectEnds();
  }
}

TEST_F(Wizard, TheAboutBoxOpensOnSystemCommand0x10) {
  HWND main = start();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_SYSCOMMAND, 0x0010, 0);
  HWND about = run_->waitFor(Page::kAbout);
  ASSERT_NE(about, nullptr) << "no menu item offers it, the command alone opens it";
  EXPECT_EQ(text(about, IDOK), L"??");
  std::wstring statics;
  for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (GetDlgCtrlID(child) != IDOK) statics += windowText(child) + L"|";
  EXPECT_NE(statics.find(L"VelkarSetup 1.0 ?"), std::wstring::npos) << narrow(statics);
  EXPECT_NE(statics.find(L"版权所有 (C) 2026 Velkor Software"), std::wstring::npos) << narrow(statics);
  EXPECT_FALSE(IsWindowEnabled(main)) << "the About box is modal";
  shot(about, "about");
  click(about, IDOK);
  ASSERT_TRUE(waitUntil([&] { return run_->find(Page::kAbout) == nullptr; }));
  EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
  EXPECT_TRUE(run_->running());
  key(main, VK_ESCAPE);
  expectEnds();
}

TEST_F(Wizard, ASecondInstanceEndsWithoutAWindow) {
  HWND main = start();
  ASSERT_NE(main, nullptr);
  SetupRun second(setup_);
  ASSERT_TRUE(second.start());
  DWORD code = 99;
  ASSERT_TRUE(second.waitExit(15000, &code)) << "the second copy ends at once";
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(second.find(Page::kMain), nullptr);
  EXPECT_TRUE(run_->running()) << "the first copy is unaffected";
  EXPECT_TRUE(IsWindowVisible(main));
  click(main, 1001);
  expectEnds();
}

TEST_F(Wizard, ACopyUnderAnotherNameRunsAlongside) {
  // The instance rule goes by the executable's base name.
  const std::wstring renamed = L"C:\\users\\Public\\Velkorsetup-copy.exe";
  ASSERT_TRUE(CopyFileW(setup_.c_str(), renamed.c_str(), FALSE));
  HWND main = start();
  ASSERT_NE(main, nullptr);
  SetupRun copy(renamed);
  ASSERT_TRUE(copy.start());
  HWND second = copy.waitFor(Page::kMain);
  ASSERT_NE(second, nullptr) << "the renamed copy shows its own wizard";
  EXPECT_NE(second, main);
  EXPECT_TRUE(run_->running());
  click(second, 1001);
  EXPECT_TRUE(copy.waitExit(15000));
  click(main, 1001);
  expectEnds();
}

// ---- refusal ----------------------------------------------------------------

TEST_F(Wizard, RefusalPageOfARefusedSystem) {
  const auto& v = currentWindowsVersion();
  const auto verdict = wizard::versionGate(v.platform, v.major, v.minor);
  ASSERT_NE(verdict, wizard::SystemVerdict::kAccepted) << v.name << " is refused";
  HWND main = start();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(text(main, 1003), L"Velkor超级文件加密器 安装向导提示");
  EXPECT_EQ(text(main, 1002), L"说明：本软件仅适用于Windows XP 或 Vista 操作系统。");
  EXPECT_EQ(text(main, 1004), reinterpret_cast<const wchar_t*>(wizard::refusalMessage(verdict)));
  EXPECT_EQ(text(main, 1005), L"安装失败！");
  EXPECT_FALSE(visible(main, 1000)) << "no Next button";
  EXPECT_EQ(text(main, 1001), L"确定");
  shot(main, "refusal");
  // Enter still runs the Next command; back from the licence page, the
  // window is the refusal page again.
  key(main, VK_RETURN);
  HWND licence = run_->waitFor(Page::kLicence);
  ASSERT_NE(licence, nullptr);
  click(licence, 1);
  ASSERT_TRUE(waitUntil([&] { return run_->find(Page::kMain) != nullptr; }));
  EXPECT_EQ(text(main, 1005), L"安装失败！");
  click(main, 1001);
  expectEnds();
}

// ---- licence page -----------------------------------------------------------

TEST_F(Wizard, LicencePageLeftWithoutAcceptanceReturnsToTheWelcomePage) {
  HWND main = start();
  ASSERT_NE(main, nullptr);
  HWND licence = openLicence(main);
  ASSERT_NE(licence, nullptr);
  EXPECT_FALSE(IsWindowVisible(main)) << "the main window is hidden meanwhile";
  EXPECT_EQ(text(licence, 1), kBackCaption);
  EXPECT_EQ(text(licence, 2), L"取消");
  EXPECT_EQ(text(licence, 1010), L"请仔细阅读许可协议，继续安装之前必须同意这些协议条款。");
  EXPECT_EQ(text(licence, 1017), L"我同意这些协议(&A)");
  EXPECT_FALSE(visible(licence, 3)) << "the dialog's own back button stays hidden";
  EXPECT_EQ(checkState(licence, 1017), BST_UNCHECKED);
  EXPECT_GT(SendMessageW(GetDlgItem(licence, 1007), WM_GETTEXTLENGTH, 0, 0), 400) << "the agreement is shown";
  const auto expected = corrected(templateLayout(setup_, 146), {wizard::layout::licenceCommon(),
                                                                wizard::layout::licenceForClass(currentLayoutClass())});
  // The page's place is the system's; its size and its controls are ours.
  expectLayout(licence, expected);
  shot(licence, "licence");

  for (int round = 0; round < 2; ++round) {
    click(licence, 1017);
    EXPECT_TRUE(waitText(licence, 1, kInstallCaption)) << "ticked, round " << round;
    if (round == 0) shot(licence, "licence-ticked");
    click(licence, 1017);
    EXPECT_TRUE(waitText(licence, 1, kBackCaption)) << "cleared, round " << round;
  }
  click(licence, 1);  // back, nothing accepted
  ASSERT_TRUE(waitUntil([&] { return run_->find(Page::kLicence) == nullptr && IsWindowVisible(main); }));
  EXPECT_EQ(text(main, 1000), L"下一步(&N) >");
  EXPECT_EQ(text(main, 1004), kWelcomeLine2) << "still the welcome page";
  EXPECT_TRUE(visible(main, 1000));

  // Enter opens a fresh page with the box clear.
  key(main, VK_RETURN);
  licence = run_->waitFor(Page::kLicence);
  ASSERT_NE(licence, nullptr);
  EXPECT_EQ(checkState(licence, 1017), BST_UNCHECKED);
  click(licence, 1);
  ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(main) != FALSE; }));
  key(main, VK_ESCAPE);
  expectEnds();
}

TEST_F(Wizard, CancelOnTheLicencePageAsksAndNoReturnsToThePage) {
  HWND main = start();
  ASSERT_NE(main, nullptr);
  HWND licence = openLicence(main);
  ASSERT_NE(licence, nullptr);
  click(licence, 1017);
  ASSERT_TRUE(waitText(licence, 1, kInstallCaption));
  click(licence, 2);
  HWND confirm = run_->waitFor(Page::kExit);
  ASSERT_NE(confirm, nullptr) << "the exit confirmation appears";
  EXPECT_FALSE(IsWindowVisible(licence)) << "the licence page hides meanwhile";
  EXPECT_EQ(text(confirm, 1004), L"安装尚未完成, 如果现在退出您的程序将不能安装。");
  EXPECT_EQ(text(confirm, 1002), L"您可以以后再运行安装程序继续安装。");
  EXPECT_EQ(text(confirm, 1005), L"退出安装程序吗?");
  EXPECT_EQ(text(confirm, 1), L"是(&Y)");
  EXPECT_EQ(text(confirm, 2), L"否(&N)");
  const auto expected = corrected(templateLayout(setup_, 148),
                                  {wizard::layout::exitCommon(), wizard::layout::exitForClass(currentLayoutClass())});
  expectLayout(confirm, expected, {1013, 1018});
  shot(confirm, "exit");

  click(confirm, 2);  // "否(&N)"
  ASSERT_TRUE(waitUntil([&] { return run_->find(Page::kExit) == nullptr && IsWindowVisible(licence); }));
  EXPECT_EQ(checkState(licence, 1017), BST_CHECKED) << "the page is back as it was";
  EXPECT_EQ(text(licence, 1), kInstallCaption);

  // Esc asks too, and Esc on the confirmation stays.
  key(licence, VK_ESCAPE);
  confirm = run_->waitFor(Page::kExit);
  ASSERT_NE(confirm, nullptr);
  key(confirm, VK_ESCAPE);
  ASSERT_TRUE(waitUntil([&] { return run_->find(Page::kExit) == nullptr && IsWindowVisible(licence); }));

  click(licence, 2);
  confirm = run_->waitFor(Page::kExit);
  ASSERT_NE(confirm, nullptr);
  click(confirm, 1);  // "是(&Y)"
  expectEnds();
  EXPECT_FALSE(processRunning(L"VelkorCrypt.exe")) << "nothing was installed or started";
}

TEST_F(Wizard, TheConfirmationsCloseBoxLeavesTheSetup) {
  HWND main = start();
  ASSERT_NE(main, nullptr);
  HWND licence = openLicence(main);
  ASSERT_NE(licence, nullptr);
  click(licence, 2);
  HWND confirm = run_->waitFor(Page::kExit);
  ASSERT_NE(confirm, nullptr);
  PostMessageW(confirm, WM_CLOSE, 0, 0);
  expectEnds();
}

// ---- installation -----------------------------------------------------------

TEST_F(Wizard, AnInstallationReachesTheFinishPage) {
  HWND main = start();
  ASSERT_NE(main, nullptr);
  HWND licence = openLicence(main);
  ASSERT_NE(licence, nullptr);
  click(licence, 1017);
  ASSERT_TRUE(waitText(licence, 1, kInstallCaption));
  click(licence, 1);
  ASSERT_TRUE(waitText(main, 1001, L"稍后...", 20000)) << "the progress page";
  EXPECT_FALSE(visible(main, 1000));
  EXPECT_TRUE(visible(main, 1011));
  EXPECT_TRUE(visible(main, 1012));
  EXPECT_FALSE(visible(main, 1018));
  EXPECT_EQ(text(main, 1004), L"现将目录安装在 C:\\Program Files\\VelkorCrypt");
  shot(main, "progress");
  // Esc and a close request change nothing while it runs.
  key(main, VK_ESCAPE);
  PostMessageW(main, WM_CLOSE, 0, 0);

  ASSERT_TRUE(waitText(main, 1001, L"完成", 180000)) << "the finish page";
  EXPECT_TRUE(run_->running());
  EXPECT_EQ(text(main, 1002), L"本软件已成功安装到您的电脑中。");
  EXPECT_EQ(text(main, 1004), L"安装完毕OK.");
  const auto& v = currentWindowsVersion();
  const bool sixOne = v.major == 6 && v.minor >= 1;
  const std::wstring warning = L"警告：如果你的杀毒软件拦截了本软件，请予放行。";
  EXPECT_EQ(text(main, 1005), sixOne ? warning : L"");
  EXPECT_EQ(text(main, 1012), sixOne ? L"如果安装时本界面不协调，请注销或重启动计算机。" : warning);
  EXPECT_NE(GetFileAttributesW(L"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe"), INVALID_FILE_ATTRIBUTES);
  shot(main, "finish");
  click(main, 1001);  // "完成": the product starts, the wizard ends
  expectEnds();
  EXPECT_TRUE(waitUntil([] { return processRunning(L"VelkorCrypt.exe"); }, 10000)) << "the product was started";

  // What the installation left, read back with the system's own calls.
  using namespace wintest;
  const std::wstring dir = L"C:\\Program Files\\VelkorCrypt\\";
  EXPECT_FALSE(fileExists(dir + L"Velkorsys.dll")) << "the font bundle is gone";
  EXPECT_EQ(readValue(HKEY_CLASSES_ROOT, L"SMVersions", L"Versions").bytes, utf16le(u"5.0", true));
  EXPECT_EQ(readValue(HKEY_CLASSES_ROOT, L"*\\shell\\Velkor超级文件加密器\\command", L"").bytes,
            utf16le(u"\"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe\" \"%1\"", true));
  const std::wstring desktop = specialFolder(CSIDL_DESKTOPDIRECTORY);
  const std::wstring group = specialFolder(CSIDL_PROGRAMS) + L"\\VelkorCrypt";
  EXPECT_EQ(readLink(desktop + L"\\Velkor超级文件加密器.lnk").target, dir + L"VelkorCrypt.exe");
  EXPECT_EQ(readLink(desktop + L"\\Velkor系统锁.lnk").target, dir + L"VelkorLock.exe");
  EXPECT_EQ(readLink(group + L"\\Velkor超级文件加密器.lnk").target, dir + L"VelkorCrypt.exe");
  EXPECT_EQ(readLink(group + L"\\Velkor系统锁.lnk").target, dir + L"VelkorLock.exe");
  EXPECT_EQ(readLink(group + L"\\卸载Velkor软件.lnk").target, dir + L"Unins000.exe");
  if (v.major == 5 && v.minor == 1)
    EXPECT_EQ(readFile(dir + L"FirstRun.txt").size(), 20u) << "XP's first-run marker, the finish leaves it";
  else if (sixOne)
    EXPECT_EQ(readFile(dir + L"FirstRun.txt").size(), 56u) << "rewritten by the finish";
}

// A first installation on Vista (its fonts were missing): the finish page asks
// for the log-off, and Finish starts the product minimised, cleans up and
// logs the user off.
TEST_F(Wizard, AFirstInstallationOnVistaLogsOff) {
  HWND main = start();
  ASSERT_NE(main, nullptr);
  HWND licence = openLicence(main);
  ASSERT_NE(licence, nullptr);
  click(licence, 1017);
  ASSERT_TRUE(waitText(licence, 1, kInstallCaption));
  click(licence, 1);
  ASSERT_TRUE(waitText(main, 1001, L"完成", 180000)) << "the finish page";
  EXPECT_EQ(text(main, 1004), L"首次安装必须注销才能正确配置。");
  EXPECT_EQ(text(main, 1005), L"现准备注销, 请关闭所有窗口. . .");
  EXPECT_EQ(text(main, 1012), L"警告：如果你的杀毒软件拦截了本软件，请予放行。");
  shot(main, "finish-logoff");
  click(main, 1001);  // "完成": the log-off procedure
  DWORD code = 99;
  EXPECT_TRUE(run_->waitExit(30000, &code)) << "the wizard ends with the session";
  // What the procedure leaves behind before the session ends.
  const std::wstring dir = L"C:\\Program Files\\VelkorCrypt\\";
  std::vector<std::uint8_t> marker;
  {
    HANDLE f = CreateFileW((dir + L"FirstRun.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << "the first-run marker";
    marker.resize(GetFileSize(f, nullptr));
    DWORD got = 0;
    ReadFile(f, marker.data(), static_cast<DWORD>(marker.size()), &got, nullptr);
    CloseHandle(f);
  }
  const std::u16string want = u"First install, don't delete!";
  ASSERT_EQ(marker.size(), want.size() * 2) << "56 bytes, no byte-order mark, no terminator";
  for (std::size_t i = 0; i < want.size(); ++i)
    EXPECT_EQ(marker[2 * i] | (marker[2 * i + 1] << 8), want[i]) << "unit " << i;
  EXPECT_EQ(GetFileAttributesW((dir + L"Velkorsys.dll").c_str()), INVALID_FILE_ATTRIBUTES) << "bundle deleted";
  EXPECT_EQ(GetFileAttributesW((dir + L"PALSCRI.TTF").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(L"C:\\windows\\Fonts\\PALSCRI.TTF"), INVALID_FILE_ATTRIBUTES)
      << "the font stays in the font folder";
}

TEST_F(Wizard, AnUnwritableMainProgramGivesTheFailurePage) {
  CreateDirectoryW(L"C:\\Program Files\\VelkorCrypt", nullptr);
  ASSERT_TRUE(CreateDirectoryW(L"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe", nullptr))
      << "a folder where the main program goes";
  HWND main = start();
  ASSERT_NE(main, nullptr);
  HWND licence = openLicence(main);
  ASSERT_NE(licence, nullptr);
  click(licence, 1017);
  ASSERT_TRUE(waitText(licence, 1, kInstallCaption));
  click(licence, 1);
  ASSERT_TRUE(waitText(main, 1001, L"确定", 180000)) << "the failure page";
  EXPECT_EQ(text(main, 1002), L"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe");
  EXPECT_EQ(text(main, 1012), L"安装失败！");
  EXPECT_FALSE(visible(main, 1000));
  shot(main, "failure");
  EXPECT_TRUE(run_->running()) << "the page stays until the user acts";
  key(main, VK_ESCAPE);
  expectEnds();
  EXPECT_FALSE(processRunning(L"VelkorCrypt.exe")) << "a failed installation starts nothing";
}

// ---- the tour of scripts/run-wizard ------------------------------------------

// Every page once, photographed in order, ending with an installation and the
// finish. Not a ctest entry: the scenarios above check each page; this one
// shows them to a person.
TEST_F(Wizard, TourOfEveryPage) {
  HWND main = start();
  ASSERT_NE(main, nullptr);
  shot(main, "1-welcome");
  PostMessageW(main, WM_SYSCOMMAND, 0x0010, 0);
  HWND about = run_->waitFor(Page::kAbout);
  ASSERT_NE(about, nullptr);
  shot(about, "2-about");
  click(about, IDOK);
  ASSERT_TRUE(waitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
  HWND licence = openLicence(main);
  ASSERT_NE(licence, nullptr);
  shot(licence, "3-licence");
  click(licence, 2);
  HWND confirm = run_->waitFor(Page::kExit);
  ASSERT_NE(confirm, nullptr);
  shot(confirm, "4-exit-confirmation");
  click(confirm, 2);
  ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(licence) != FALSE; }));
  click(licence, 1017);
  ASSERT_TRUE(waitText(licence, 1, kInstallCaption));
  shot(licence, "5-licence-accepted");
  click(licence, 1);
  ASSERT_TRUE(waitText(main, 1001, L"稍后...", 20000));
  shot(main, "6-progress");
  ASSERT_TRUE(waitText(main, 1001, L"完成", 180000));
  shot(main, "7-finish");
  click(main, 1001);
  expectEnds();
}

}  // namespace
}  // namespace velkor::e2e

int main(int argc, char** argv) {
  CoInitialize(nullptr);  // shell links are read back through COM
  testing::InitGoogleTest(&argc, argv);
  const int rc = RUN_ALL_TESTS();
  CoUninitialize();
  return rc;
}
