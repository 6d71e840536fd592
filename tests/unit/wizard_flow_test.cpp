// The main window's page machine without windows: every row of its state
// table, the texts and show/hides of the Next command, the keyboard and close
// rules. The Cancel/Finish command is the engine's real one on the fake
// machine of the finish tests, so the two are tested together.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "engine/completion.h"
#include "engine/failure_display.h"
#include "engine/install_paths.h"
#include "engine/install_sequence.h"
#include "engine/trace.h"
#include "unit/engine_support.h"
#include "unit/finish_support.h"
#include "wizard/wizard_flow.h"

namespace velkor::wizard {
namespace {

using Kind = fakes::FakeMainWindow::Kind;

// Plays the user's part on the licence page: one scripted outcome per run.
class ScriptedLicence : public LicencePage {
 public:
  std::deque<LicenceOutcome> outcomes;
  int runs = 0;
  std::function<void()> whileShown;
  LicenceOutcome run() override {
    ++runs;
    if (whileShown) whileShown();
    LicenceOutcome o = outcomes.empty() ? LicenceOutcome::kNeither : outcomes.front();
    if (!outcomes.empty()) outcomes.pop_front();
    return o;
  }
};

// Ends the way the sequence does: on failure with the engine's own failure
// display, on success with the flags of its last step.
class FakeInstaller : public Installer {
 public:
  enum class Result { kSuccess, kFailure, kFirstInstallOnVista };
  FakeInstaller(MainWindow& window, WizardState& state) : window_(window), state_(state) {}
  Result result = Result::kSuccess;
  int runs = 0;
  std::function<void()> whileRunning;

  void run() override {
    ++runs;
    state_.bInstallFailed = 0;
    if (whileRunning) whileRunning();
    switch (result) {
      case Result::kFailure:
        showInstallFailure(window_, state_, u"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe",
                           text::kProgramInUse);
        return;
      case Result::kFirstInstallOnVista:
        state_.bFirstInstall = 1;
        state_.bLogoffPending = 1;
        return;
      case Result::kSuccess:
        state_.bConfigurePending = 1;
        return;
    }
  }

 private:
  MainWindow& window_;
  WizardState& state_;
};

class RealFinisher : public Finisher {
 public:
  explicit RealFinisher(Completion completion) : completion_(std::move(completion)) {}
  int calls = 0;
  void onCancelOrFinish() override {
    ++calls;
    completion_.OnCancelOrFinish();
  }

 private:
  Completion completion_;
};

struct Wizard : velkor::testing::FinishMachine {
  ScriptedLicence licence;
  FakeInstaller installer{window, state};
  RealFinisher finisher{completion()};
  WizardFlow flow{WizardFlow::Ports{window, system, licence, installer, finisher}, state};

  explicit Wizard(std::uint32_t major = 6, std::uint32_t minor = 1, std::uint32_t platform = 2) {
    system.version = {major, minor, 0, platform};
    processes.running = {{u"explorer.exe", 0x100}};
  }

  std::vector<std::u16string> endings() const { return window.endings; }
  bool productStarted() const { return !executor.requests.empty(); }
  // Accepts the licence by clicking Next.
  void installByClick(FakeInstaller::Result result = FakeInstaller::Result::kSuccess) {
    installer.result = result;
    licence.outcomes.push_back(LicenceOutcome::kAccepted);
    flow.onNext();
  }
};

bool sameFlags(const WizardState& a, const WizardState& b) {
  return a.bSetupStarted == b.bSetupStarted && a.bStartedByEnter == b.bStartedByEnter &&
         a.bInstalling == b.bInstalling && a.bBusy == b.bBusy && a.bInstallFailed == b.bInstallFailed &&
         a.bInstallDone == b.bInstallDone && a.bFirstInstall == b.bFirstInstall &&
         a.bConfigurePending == b.bConfigurePending && a.bLogoffPending == b.bLogoffPending;
}

const std::vector<std::u16string> kEndWithOk{u"endWithOk"};
const std::vector<std::u16string> kSendClose{u"sendCloseCommand"};

// ---- welcome and refusal ----------------------------------------------------

TEST(WizardFlow, EscapeOnTheWelcomePageClosesThroughTheWindowsOwnCloseHandling) {
  Wizard w;
  EXPECT_TRUE(w.flow.onKeyDown(Key::kEscape)) << "the dialog manager never sees Esc";
  EXPECT_EQ(w.endings(), kSendClose);
  EXPECT_TRUE(w.flow.onClose()) << "the close request then ends the window (cancel result)";
  EXPECT_EQ(w.licence.runs, 0);
  EXPECT_FALSE(w.productStarted());
}

TEST(WizardFlow, TheCancelButtonOnTheWelcomePageClosesWithoutConfirmation) {
  Wizard w;
  w.flow.onCancelOrFinish();
  EXPECT_EQ(w.endings(), kSendClose);
  EXPECT_EQ(w.licence.runs, 0);
}

TEST(WizardFlow, OtherKeysGoToTheDialogManager) {
  Wizard w;
  EXPECT_FALSE(w.flow.onKeyDown(Key::kOther));
  EXPECT_TRUE(w.endings().empty());
}

TEST(WizardFlow, EnterOnTheWelcomePageRunsTheNextCommandWithTheWindowHidden) {
  Wizard w;
  bool hiddenWhileShown = false;
  w.licence.whileShown = [&] { hiddenWhileShown = !w.window.shown; };
  EXPECT_TRUE(w.flow.onKeyDown(Key::kEnter));
  EXPECT_EQ(w.licence.runs, 1);
  EXPECT_TRUE(hiddenWhileShown);
  EXPECT_TRUE(w.window.shown) << "shown again after the page";
  EXPECT_EQ(w.state.bStartedByEnter, 1);
  EXPECT_TRUE(w.endings().empty()) << "no Cancel/Finish call: the licence was not accepted";
}

TEST(WizardFlow, ALicencePageLeftWithoutAcceptanceChangesOnlyTheEnterFlag) {
  for (bool byEnter : {false, true}) {
    SCOPED_TRACE(byEnter ? "Enter" : "Next button");
    Wizard w;
    const WizardState before = w.state;
    const std::size_t viewEvents = w.window.events.size();
    if (byEnter) w.flow.onKeyDown(Key::kEnter);
    else w.flow.onNext();
    WizardState expected = before;
    expected.bStartedByEnter = byEnter ? 1 : 0;
    EXPECT_TRUE(sameFlags(w.state, expected));
    EXPECT_EQ(w.installer.runs, 0);
    // Only the repaint after the page: no text or visibility changed.
    ASSERT_EQ(w.window.events.size(), viewEvents + 1);
    EXPECT_EQ(w.window.events.back().kind, Kind::UpdateWindow);
    EXPECT_EQ(w.window.calls, (std::vector<std::u16string>{u"showWindow 0", u"showWindow 1"}));
  }
}

TEST(WizardFlow, ALicencePageCancelledAndConfirmedEndsTheWizardWithOk) {
  Wizard w;
  w.licence.outcomes.push_back(LicenceOutcome::kCancelled);
  w.flow.onNext();
  EXPECT_EQ(w.endings(), kEndWithOk);
  EXPECT_EQ(w.installer.runs, 0);
  EXPECT_FALSE(w.productStarted());
}

struct RefusedCase {
  const char* name;
  std::uint32_t platform, major, minor;
  const char16_t* line;
};

TEST(WizardFlow, ARefusedSystemShowsTheRefusalPage) {
  const RefusedCase cases[] = {
      {"win95", 1, 4, 0, u"您当前的操作系统是Windows95，本软件不予支持。"},
      {"win98", 1, 4, 10, u"您当前的操作系统是Windows 98Se，本软件不予支持。"},
      {"winme", 1, 4, 90, u"您当前的操作系统是Windows Me，本软件不予支持。"},
      {"nt40", 2, 4, 0, u"您当前的操作系统是Windows NT，本软件不予支持。"},
      {"win2k", 2, 5, 0, u"您当前的操作系统是Windows 2000，本软件不予支持。"},
      {"win2003", 2, 5, 2, u"您当前的操作系统是Windows 2003，本软件不予支持。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Wizard w(c.major, c.minor, c.platform);
    EXPECT_FALSE(w.flow.applyVersionGate());
    // In this order: title, notice, system line, status, Next hidden, caption.
    ASSERT_EQ(w.window.events.size(), 6u);
    EXPECT_EQ(w.window.textsOf(1003), (std::vector<std::u16string>{u"Velkor超级文件加密器 安装向导提示"}));
    EXPECT_EQ(w.window.events[0].control, 1003);
    EXPECT_EQ(w.window.events[1].control, 1002);
    EXPECT_EQ(w.window.events[1].text, u"说明：本软件仅适用于Windows XP 或 Vista 操作系统。");
    EXPECT_EQ(w.window.events[2].control, 1004);
    EXPECT_EQ(w.window.events[2].text, c.line);
    EXPECT_EQ(w.window.events[3].control, 1005);
    EXPECT_EQ(w.window.events[3].text, u"安装失败！");
    EXPECT_EQ(w.window.events[4].kind, Kind::Show);
    EXPECT_EQ(w.window.events[4].control, 1000);
    EXPECT_EQ(w.window.events[4].a, 0);
    EXPECT_EQ(w.window.events[5].control, 1001);
    EXPECT_EQ(w.window.events[5].text, u"确定");
    EXPECT_TRUE(sameFlags(w.state, WizardState{})) << "no flag is set by a refusal";
    EXPECT_TRUE(w.window.calls.empty()) << "animations, layout and window stay";
  }
}

TEST(WizardFlow, OnARefusedSystemOkClosesAndEnterStillOpensTheLicencePage) {
  {
    Wizard w(4, 0, 2);
    w.flow.applyVersionGate();
    w.flow.onCancelOrFinish();  // "确定"
    EXPECT_EQ(w.endings(), kSendClose);
  }
  {
    Wizard w(5, 0, 2);
    w.flow.applyVersionGate();
    w.flow.onKeyDown(Key::kEnter);
    EXPECT_EQ(w.licence.runs, 1);
  }
}

TEST(WizardFlow, AcceptedSystemsKeepTheWelcomePage) {
  for (auto [major, minor] : {std::pair<std::uint32_t, std::uint32_t>{5, 1}, {6, 0}, {6, 1}, {6, 2}}) {
    Wizard w(major, minor);
    EXPECT_TRUE(w.flow.applyVersionGate());
    EXPECT_TRUE(w.window.events.empty());
  }
}

// ---- progress ---------------------------------------------------------------

TEST(WizardFlow, AcceptanceSetsUpTheProgressPageBeforeTheSequenceRuns) {
  Wizard w;
  WizardState atStart;
  std::vector<fakes::FakeMainWindow::Event> eventsAtStart;
  std::vector<std::u16string> windowAtStart;
  w.installer.whileRunning = [&] {
    atStart = w.state;
    eventsAtStart = w.window.events;
    windowAtStart = w.window.calls;
  };
  w.installByClick();
  EXPECT_EQ(atStart.bInstalling, 1);
  EXPECT_EQ(atStart.bConfigurePending, 1);
  EXPECT_EQ(atStart.bSetupStarted, 1);
  EXPECT_EQ(atStart.bBusy, 1);
  EXPECT_EQ(windowAtStart,
            (std::vector<std::u16string>{u"showWindow 0", u"showWindow 1", u"closeItem 0"}));
  // After the repaint that follows the page: the progress page, in order.
  ASSERT_EQ(eventsAtStart.size(), 11u);
  EXPECT_EQ(eventsAtStart[0].kind, Kind::UpdateWindow);
  const std::pair<int, int> shows[] = {{1018, 0}, {1012, 1}, {1011, 1}, {1000, 0}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(eventsAtStart[1 + i].kind, Kind::Show);
    EXPECT_EQ(eventsAtStart[1 + i].control, shows[i].first);
    EXPECT_EQ(eventsAtStart[1 + i].a, shows[i].second);
  }
  const std::pair<int, std::u16string> texts[] = {
      {1001, u"稍后..."},
      {1003, u"Velkor超级文件加密器 软件安装向导提示"},
      {1002, u"现在开始安装 Velkor超级文件加密器 到您的电脑中"},
      {1004, u"现将目录安装在 C:\\Program Files\\VelkorCrypt"},
      {1005, u"正在释放安装..."},
      {1012, u"This is the first file..."},
  };
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(eventsAtStart[5 + i].kind, Kind::Text);
    EXPECT_EQ(eventsAtStart[5 + i].control, texts[i].first);
    EXPECT_EQ(eventsAtStart[5 + i].text, texts[i].second);
  }
}

TEST(WizardFlow, KeysButtonAndCloseRequestsDuringTheInstallationChangeNothing) {
  Wizard w;
  bool closeAllowed = true;
  WizardState before, after;
  w.installer.whileRunning = [&] {
    before = w.state;
    EXPECT_TRUE(w.flow.onKeyDown(Key::kEscape));
    EXPECT_TRUE(w.flow.onKeyDown(Key::kEnter));
    w.flow.onCancelOrFinish();  // "稍后..."
    closeAllowed = w.flow.onClose();
    after = w.state;
  };
  w.installByClick();
  EXPECT_FALSE(closeAllowed);
  EXPECT_TRUE(sameFlags(before, after));
  EXPECT_EQ(w.licence.runs, 1) << "Enter did not start a second Next command";
  EXPECT_EQ(w.installer.runs, 1);
  EXPECT_TRUE(w.endings().empty());
}

TEST(WizardFlow, AnErrorThrownInsideTheInstallationEndsItAsAFailedOne) {
  const std::function<void()> faults[] = {[] { throw std::bad_alloc(); }, [] { throw 7; }};
  for (const auto& raise : faults) {
    Wizard w;
    // The real sequence on a machine with a whole setup file; the fonts step,
    // after every member was written, throws.
    velkor::testing::FakeMachine machine;
    machine.scale({22'323, 55'352, 190'927, 22'579, 127'923, 885, 188, 32'194, 123'125});
    machine.placeSetupFile();
    machine.system.version = {6, 1, 7601, 2};
    machine.operations.fontStep = [&](VersionClass, BlockCopier&, const BundleSource&) { raise(); };
    machine.hold();
    w.installer.whileRunning = [&] {
      InstallSequence(machine.system, w.window, w.state, machine.operations, machine.setup, machine.config).run();
    };
    std::u16string traced;
    trace::Sink previous = trace::setSink([&](std::u16string_view text) { traced += text; });
    w.installByClick();
    trace::setSink(previous);

    EXPECT_NE(machine.system.file(machine.members[0].destination), nullptr) << "the throw came mid-way";
    EXPECT_EQ(w.window.text(1002), paths::kInstallDirectory);
    EXPECT_EQ(w.window.text(1004), text::kWriteFailed);
    EXPECT_EQ(w.window.text(1001), u"确定");
    EXPECT_FALSE(w.window.isVisible(1000));
    EXPECT_EQ(w.state.bInstalling, 0);
    EXPECT_EQ(w.state.bInstallFailed, 1);
    EXPECT_EQ(w.state.bBusy, 0) << "close requests are no longer blocked";
    EXPECT_NE(traced.find(u"unexpected error"), std::u16string::npos);

    w.flow.onCancelOrFinish();  // "确定"
    EXPECT_EQ(w.endings(), kEndWithOk) << "the window can always be closed";
    EXPECT_FALSE(w.productStarted());
  }
}

// ---- finish -----------------------------------------------------------------

struct FinishTexts {
  const char* name;
  std::uint32_t major, minor;
  const char16_t* line3;
  const char16_t* status;
  bool line3MovesDown;
};

TEST(WizardFlow, TheFinishPageTextsFollowTheVersion) {
  const char16_t* warning = u"警告：如果你的杀毒软件拦截了本软件，请予放行。";
  const char16_t* hint = u"如果安装时本界面不协调，请注销或重启动计算机。";
  const FinishTexts cases[] = {
      {"winxp", 5, 1, u"", warning, false},
      {"vista", 6, 0, u"", warning, false},
      {"win7", 6, 1, warning, hint, true},
      {"win8", 6, 2, warning, hint, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Wizard w(c.major, c.minor);
    w.installByClick();
    EXPECT_EQ(w.window.text(1001), u"完成");
    EXPECT_EQ(w.window.text(1002), u"本软件已成功安装到您的电脑中。");
    EXPECT_EQ(w.window.text(1004), u"安装完毕OK.");
    EXPECT_EQ(w.window.text(1005), c.line3);
    EXPECT_EQ(w.window.text(1012), c.status);
    ASSERT_EQ(w.window.moves.size(), c.line3MovesDown ? 1u : 0u);
    if (c.line3MovesDown) {
      EXPECT_EQ(w.window.moves[0].control, 1005);
      EXPECT_EQ(w.window.moves[0].dx, 0);
      EXPECT_EQ(w.window.moves[0].dy, 2);
    }
    EXPECT_TRUE(w.window.closeItemEnabled) << "the Close item is enabled again";
    EXPECT_EQ(w.window.sounds, 1);
    EXPECT_EQ(w.state.bInstallDone, 1);
    EXPECT_EQ(w.state.bInstalling, 0);
    EXPECT_EQ(w.state.bBusy, 1) << "cleared only by the finish";
    EXPECT_EQ(w.window.events.back().kind, Kind::UpdateWindow);
    EXPECT_TRUE(w.endings().empty()) << "the finish page waits for the user";
  }
}

TEST(WizardFlow, APendingLogOffShowsTheLogOffTextsAndFinishesByLoggingOff) {
  Wizard w(6, 0);
  w.installByClick(FakeInstaller::Result::kFirstInstallOnVista);
  EXPECT_EQ(w.window.text(1004), u"首次安装必须注销才能正确配置。");
  EXPECT_EQ(w.window.text(1005), u"现准备注销, 请关闭所有窗口. . .");
  EXPECT_EQ(w.window.text(1012), u"警告：如果你的杀毒软件拦截了本软件，请予放行。");
  w.flow.onCancelOrFinish();  // "完成"
  EXPECT_EQ(w.session.logoffs, 1) << "the log-off procedure ran";
  EXPECT_EQ(w.endings(), kEndWithOk);
}

TEST(WizardFlow, FinishButtonEnterEscAndCloseBoxEachFinishOnce) {
  for (int route = 0; route < 4; ++route) {
    SCOPED_TRACE(route);
    Wizard w;
    w.installByClick();
    bool closeAllowed = false;
    switch (route) {
      case 0: w.flow.onCancelOrFinish(); break;
      case 1: EXPECT_TRUE(w.flow.onKeyDown(Key::kEnter)); break;
      case 2: EXPECT_TRUE(w.flow.onKeyDown(Key::kEscape)); break;
      case 3: closeAllowed = w.flow.onClose(); break;
    }
    EXPECT_EQ(w.endings(), kEndWithOk) << "the configuration procedure ended the dialog";
    EXPECT_EQ(w.executor.requests.size(), 1u) << "the product was started";
    EXPECT_EQ(w.state.bBusy, 0);
    EXPECT_EQ(w.licence.runs, 1);
    if (route == 3) EXPECT_TRUE(closeAllowed);
  }
}

TEST(WizardFlow, AnInstallationStartedWithEnterStaysOnTheFinishPageUntilTheNextCommand) {
  Wizard w;
  w.installer.result = FakeInstaller::Result::kSuccess;
  w.licence.outcomes.push_back(LicenceOutcome::kAccepted);
  w.flow.onKeyDown(Key::kEnter);
  EXPECT_EQ(w.window.text(1001), u"完成");
  EXPECT_TRUE(w.endings().empty()) << "the call in the same key press only cleared the flag";
  EXPECT_EQ(w.state.bStartedByEnter, 0);
  EXPECT_FALSE(w.productStarted());
  w.flow.onKeyDown(Key::kEnter);
  EXPECT_EQ(w.endings(), kEndWithOk);
  EXPECT_TRUE(w.productStarted());
}

TEST(WizardFlow, AnEarlierEnterThatDidNotInstallCostsTheFirstFinishPress) {
  Wizard w;
  w.flow.onKeyDown(Key::kEnter);  // licence left without acceptance
  EXPECT_EQ(w.state.bStartedByEnter, 1);
  w.installByClick();
  w.flow.onCancelOrFinish();
  EXPECT_TRUE(w.endings().empty()) << "the first press only clears the flag";
  EXPECT_EQ(w.state.bStartedByEnter, 0);
  w.flow.onCancelOrFinish();
  EXPECT_EQ(w.endings(), kEndWithOk);
}

// ---- failure ----------------------------------------------------------------

TEST(WizardFlow, TheFailurePageKeepsTheSequencesTextsAndTheGreyCloseItem) {
  Wizard w;
  w.installByClick(FakeInstaller::Result::kFailure);
  EXPECT_EQ(w.window.text(1003), u"Velkor超级文件加密器 安装向导提示");
  EXPECT_EQ(w.window.text(1002), u"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe");
  EXPECT_EQ(w.window.text(1004), text::kProgramInUse);
  EXPECT_EQ(w.window.text(1012), u"安装失败！");
  EXPECT_EQ(w.window.text(1001), u"确定");
  EXPECT_FALSE(w.window.isVisible(1000));
  EXPECT_FALSE(w.window.closeItemEnabled) << "the close box stays disabled";
  EXPECT_EQ(w.window.sounds, 1);
  EXPECT_EQ(w.state.bBusy, 0);
  EXPECT_EQ(w.state.bInstallDone, 0);
  EXPECT_EQ(w.state.bInstallFailed, 1);
  EXPECT_TRUE(w.endings().empty());
}

TEST(WizardFlow, AfterAFailureOkEscAndEnterOnlyCloseTheWizard) {
  for (int route = 0; route < 3; ++route) {
    SCOPED_TRACE(route);
    Wizard w;
    w.installByClick(FakeInstaller::Result::kFailure);
    switch (route) {
      case 0: w.flow.onCancelOrFinish(); break;
      case 1: w.flow.onKeyDown(Key::kEscape); break;
      case 2: w.flow.onKeyDown(Key::kEnter); break;
    }
    EXPECT_EQ(w.endings(), kEndWithOk);
    EXPECT_FALSE(w.productStarted()) << "a failed installation starts nothing";
    EXPECT_TRUE(w.fonts.calls.empty()) << "and touches no font";
  }
}

TEST(WizardFlow, AFailedInstallationStartedWithEnterStaysOnTheFailurePage) {
  Wizard w;
  w.installer.result = FakeInstaller::Result::kFailure;
  w.licence.outcomes.push_back(LicenceOutcome::kAccepted);
  w.flow.onKeyDown(Key::kEnter);
  EXPECT_EQ(w.window.text(1001), u"确定");
  EXPECT_TRUE(w.endings().empty()) << "shown until the user acts";
  EXPECT_EQ(w.state.bStartedByEnter, 0);
  w.flow.onKeyDown(Key::kEnter);
  EXPECT_EQ(w.endings(), kEndWithOk);
}

TEST(WizardFlow, AnEarlierEnterDoesNotCostTheFailurePageAPress) {
  // Enter opened the licence page and the user went back: the flag that Enter
  // left is not the one that passes over the failure page.
  for (int route = 0; route < 3; ++route) {
    SCOPED_TRACE(route);
    Wizard w;
    w.flow.onKeyDown(Key::kEnter);  // licence left without acceptance
    ASSERT_EQ(w.state.bStartedByEnter, 1);
    w.installByClick(FakeInstaller::Result::kFailure);
    EXPECT_TRUE(w.endings().empty()) << "the failure page is up";
    switch (route) {
      case 0: w.flow.onCancelOrFinish(); break;  // "确定"
      case 1: w.flow.onKeyDown(Key::kEscape); break;
      case 2: w.flow.onKeyDown(Key::kEnter); break;
    }
    EXPECT_EQ(w.endings(), kEndWithOk) << "the first press ends the wizard";
    EXPECT_FALSE(w.productStarted());
  }
}

TEST(WizardFlow, CloseRequestsOnTheFailurePageAreDefaultHandled) {
  // The close box is grey there, but a close request (Alt+F4) is no longer
  // blocked once the failure cleared bBusy.
  Wizard w;
  w.installByClick(FakeInstaller::Result::kFailure);
  EXPECT_TRUE(w.flow.onClose());
  EXPECT_TRUE(w.endings().empty()) << "OnClose calls the finish only after success";
}

}  // namespace
}  // namespace velkor::wizard
