// The Cancel/Finish command on a fake machine: every row of its decision
// table, the log-off and configuration procedures call by call, and the
// process scan whose last exact match wins.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/completion.h"
#include "engine/install_paths.h"
#include "unit/finish_support.h"

namespace velkor {
namespace {

using fakes::FakeRegistry;
using testing::FinishMachine;
using testing::kFontDir;
using testing::kInstall;

const std::u16string kMarker = paths::kFirstRunMarker;
const std::u16string kStartLine = u"shellExecute C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe";

// The flags a wizard state leaves, as the Next handler and the sequence set them.
WizardState welcome() { return {}; }
WizardState installing() {
  WizardState s;
  s.bSetupStarted = s.bInstalling = s.bBusy = s.bConfigurePending = 1;
  return s;
}
WizardState succeeded() {
  WizardState s;
  s.bSetupStarted = s.bConfigurePending = s.bBusy = s.bInstallDone = 1;
  return s;
}
WizardState firstInstallOnVista() {
  WizardState s = succeeded();
  s.bFirstInstall = s.bLogoffPending = 1;
  return s;
}
WizardState failed() {
  WizardState s;
  s.bSetupStarted = s.bConfigurePending = s.bInstallFailed = 1;
  return s;
}
WizardState withEnter(WizardState s) {
  s.bStartedByEnter = 1;
  return s;
}

std::vector<std::uint8_t> utf16le(std::u16string_view text) {
  return FakeRegistry::bytesOf(text, false);
}

struct FinishCase : FinishMachine {
  explicit FinishCase(WizardState s, std::uint32_t major = 6, std::uint32_t minor = 1) {
    state = s;
    setVersion(major, minor);
    processes.running = {{u"System", 4}, {u"explorer.exe", 0x100}};
  }
  void press() { completion().OnCancelOrFinish(); }
};

// ---- The decision table -------------------------------------------------------

TEST(FinishDecision, EveryWizardStateHasItsAction) {
  struct Row {
    const char* state;
    WizardState flags;
    FinishAction action;
  };
  WizardState licenceLeftByEnter = welcome();
  licenceLeftByEnter.bStartedByEnter = 1;  // Enter opened the licence page, not accepted
  for (const Row& row : {
           Row{"welcome", welcome(), FinishAction::Close},
           Row{"licence left without accepting", licenceLeftByEnter, FinishAction::Close},
           Row{"installing", installing(), FinishAction::Ignore},
           Row{"installing, started by Enter", withEnter(installing()), FinishAction::Ignore},
           Row{"first installation on 6.0", firstInstallOnVista(), FinishAction::LogOff},
           Row{"other success", succeeded(), FinishAction::Configure},
           Row{"failed", failed(), FinishAction::EndAfterFailure},
           Row{"right after an Enter-started success", withEnter(succeeded()), FinishAction::ClearEnterFlag},
           Row{"right after an Enter-started first installation", withEnter(firstInstallOnVista()),
               FinishAction::ClearEnterFlag},
           Row{"right after an Enter-started failure", withEnter(failed()), FinishAction::ClearEnterFlag},
       }) {
    SCOPED_TRACE(row.state);
    EXPECT_EQ(decideFinish(row.flags), row.action);
  }
}

TEST(FinishDecision, BeforeInstallingTheWindowClosesThroughItsOwnHandling) {
  FinishCase m(welcome());
  m.press();
  EXPECT_EQ(m.journal, std::vector<std::u16string>{u"sendCloseCommand"});
}

TEST(FinishDecision, DuringInstallationNothingHappens) {
  FinishCase m(installing());
  m.press();
  EXPECT_TRUE(m.journal.empty());
  EXPECT_EQ(m.state.bBusy, 1);
}

TEST(FinishDecision, AfterAFailureTheButtonOnlyEndsTheWizard) {
  FinishCase m(failed());
  m.press();
  EXPECT_EQ(m.journal, std::vector<std::u16string>{u"endWithOk"})
      << "no product start, no fonts, no configuration";
}

TEST(FinishDecision, TheCallRightAfterAnEnterStartedFailureLeavesTheFailurePageUp) {
  FinishCase m(withEnter(failed()));
  m.press();
  EXPECT_TRUE(m.journal.empty());
  EXPECT_EQ(m.state.bStartedByEnter, 0);
  m.press();
  EXPECT_EQ(m.journal, std::vector<std::u16string>{u"endWithOk"});
}

TEST(FinishDecision, AfterAnEnterStartedSuccessTheSecondPressFinishes) {
  FinishCase m(withEnter(succeeded()));
  m.press();
  EXPECT_TRUE(m.journal.empty());
  EXPECT_EQ(m.state.bStartedByEnter, 0);
  m.press();
  EXPECT_EQ(m.window.endings, std::vector<std::u16string>{u"endWithOk"});
  EXPECT_EQ(m.only({u"shellExecute"}).size(), 1u);
}

TEST(FinishDecision, AnEnterFlagLeftFromTheLicencePageCostsOnePress) {
  // Enter opened the licence page, which was cancelled; a click later started
  // the installation, and nothing cleared the flag in between.
  FinishCase m(withEnter(succeeded()));
  m.press();
  EXPECT_TRUE(m.window.endings.empty());
  m.press();
  EXPECT_EQ(m.window.endings.size(), 1u);
}

// ---- The process scan -----------------------------------------------------------

TEST(ProcessScan, TheLastExactMatchOfEitherNameWins) {
  EXPECT_EQ(chooseProcessToEnd({{u"explorer.exe", 10}, {u"VelkorCrypt.exe", 20}, {u"explorer.exe", 30},
                                {u"VelkorCrypt.exe", 40}, {u"svchost.exe", 50}}),
            40u);
  EXPECT_EQ(chooseProcessToEnd({{u"VelkorCrypt.exe", 20}, {u"VelkorCrypt.exe", 24}, {u"explorer.exe", 30},
                                {u"rpcss.exe", 50}}),
            30u);
}

TEST(ProcessScan, NamesDifferingOnlyInCaseDoNotMatch) {
  EXPECT_EQ(chooseProcessToEnd({{u"explorer.exe", 10}, {u"Explorer.EXE", 20}, {u"velkorcrypt.exe", 30},
                                {u"VELKORCRYPT.EXE", 40}}),
            10u);
  EXPECT_EQ(chooseProcessToEnd({{u"EXPLORER.EXE", 10}, {u"VelkorCrypt.EXE", 20}}), 0u);
  EXPECT_EQ(chooseProcessToEnd({}), 0u);
}

// ---- The log-off procedure ------------------------------------------------------

TEST(Logoff, RunsItsStepsInOrderAndEndsTheProductItStarted) {
  FinishCase m(firstInstallOnVista(), 6, 0);
  m.processes.running = {{u"explorer.exe", 0x100}, {u"VelkorCrypt.exe", 0x200}, {u"explorer.exe", 0x300}};
  m.press();
  const std::u16string product = u"2048";  // the first id the fake gives a started process
  EXPECT_EQ(m.only({u"stopAnimation", u"openReadWrite", u"setText", u"notify", u"shellExecute",
                    u"sleep", u"updateWindow", u"snapshot", u"openForTerminate", u"terminate",
                    u"closeHandle", u"deleteFile", u"exitWindows", u"endWithOk", u"endDialog"}),
            (std::vector<std::u16string>{
                u"stopAnimation 1013",
                u"openReadWrite " + kMarker,
                u"setText 1012 稍后, 正准备注销. . .",
                u"notifyAssociationsChanged",
                kStartLine + u" show 6 mask 64",
                u"closeHandle " + product,
                u"sleep 800",
                u"updateWindow",
                u"snapshot",
                u"openForTerminate " + product,
                u"sleep 360",
                u"terminate " + product + u" 0",
                u"closeHandle " + product,
                u"notifyAssociationsChanged",
                u"deleteFile C:\\Program Files\\VelkorCrypt\\Velkorsys.dll",
                u"deleteFile C:\\Program Files\\VelkorCrypt\\PALSCRI.TTF",
                u"deleteFile C:\\Downloads\\PALSCRI.TTF",
                u"deleteFile C:\\Downloads\\simfang.ttf",
                u"deleteFile C:\\simfang.ttf",
                u"updateWindow",
                u"notifyAssociationsChanged",
                u"exitWindows 0 1",
                u"endWithOk",
            }));
  EXPECT_EQ(m.state.bBusy, 0);
  ASSERT_NE(m.system.file(kMarker), nullptr);
  EXPECT_EQ(*m.system.file(kMarker), utf16le(u"First install, don't delete!"));
  EXPECT_EQ(m.system.file(kMarker)->size(), 56u);
  EXPECT_EQ(m.processes.openHandles(), 0u);
  const ShellExecuteRequest& start = m.executor.requests.at(0);
  EXPECT_EQ(start.file, u"VelkorCrypt.exe");
  EXPECT_EQ(start.directory, u"C:\\Program Files\\VelkorCrypt\\");
  EXPECT_EQ(start.parameters, u"");
}

TEST(Logoff, AFailedStartEndsTheDialogAndTheLastExplorerIsEnded) {
  FinishCase m(firstInstallOnVista(), 6, 0);
  m.executor.instApp = 2;  // SE_ERR_FNF
  m.processes.running = {{u"explorer.exe", 0x100}, {u"VelkorCrypt.exe", 0x200}, {u"Explorer.exe", 0x280},
                         {u"explorer.exe", 0x300}, {u"svchost.exe", 0x400}};
  m.press();
  EXPECT_EQ(m.processes.terminated, std::vector<std::uint32_t>{0x300});
  EXPECT_EQ(m.window.endings, (std::vector<std::u16string>{u"endDialog 0", u"endWithOk"}));
  EXPECT_EQ(m.session.logoffs, 1) << "the log-off happens all the same";
}

TEST(Logoff, NoMatchingProcessOpensNothingButStillWaits) {
  FinishCase m(firstInstallOnVista(), 6, 0);
  m.executor.instApp = 2;
  m.processes.running = {{u"System", 4}, {u"EXPLORER.EXE", 8}};
  m.press();
  EXPECT_EQ(m.only({u"openForTerminate", u"terminate"}).size(), 0u);
  EXPECT_EQ(m.session.sleeps, (std::vector<std::uint32_t>{800, 360}));
  EXPECT_EQ(m.session.logoffs, 1);
}

TEST(Logoff, ARefusedOpenTerminatesNothing) {
  FinishCase m(firstInstallOnVista(), 6, 0);
  m.executor.instApp = 2;
  m.processes.running = {{u"explorer.exe", 0x100}};
  m.processes.refuseOpen = {0x100};
  m.press();
  EXPECT_TRUE(m.processes.terminated.empty());
  EXPECT_EQ(m.only({u"terminate", u"closeHandle"}).size(), 0u);
  EXPECT_EQ(m.session.logoffs, 1);
}

TEST(Logoff, OnlySixZeroWritesTheMarker) {
  FinishCase m(firstInstallOnVista(), 6, 1);
  m.press();
  EXPECT_FALSE(m.system.exists(kMarker));
  EXPECT_EQ(m.session.logoffs, 1);
}

TEST(Logoff, TheRelativeCleanUpNamesResolveBesideTheSetupFile) {
  FinishCase m(firstInstallOnVista(), 6, 0);
  m.system.setupPath = u"D:\\Setups\\Velkor\\Velkorsetup.exe";
  m.system.addFileOfSize(u"D:\\Setups\\Velkor\\PALSCRI.TTF", 8);
  m.system.addFileOfSize(u"D:\\Setups\\Velkor\\simfang.ttf", 8);
  m.press();
  EXPECT_FALSE(m.system.exists(u"D:\\Setups\\Velkor\\PALSCRI.TTF"));
  EXPECT_FALSE(m.system.exists(u"D:\\Setups\\Velkor\\simfang.ttf"));
}

// ---- The configuration procedure --------------------------------------------------

TEST(Configure, OnSevenRegistersFangSongAndAMissingPalaceScript) {
  FinishCase m(succeeded(), 6, 1);
  m.system.addFileOfSize(kInstall + u"simfang.ttf", 64);
  m.system.addFileOfSize(kFontDir + u"simfang.ttf", 64);
  m.press();
  EXPECT_EQ(m.only({u"setText", u"findFirst", u"addFontResource", u"Set", u"openReadWrite", u"notify",
                    u"deleteFile", u"shellExecute", u"closeHandle", u"endWithOk", u"endDialog",
                    u"messageBox"}),
            (std::vector<std::u16string>{
                u"setText 1012 稍后, 正在配置 . . .",
                u"findFirst " + kFontDir + u"PALSCRI.TTF",
                u"addFontResource " + kInstall + u"simfang.ttf",
                u"addFontResource " + kFontDir + u"simfang.ttf",
                u"Set HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts 仿宋_GB2312(TrueType)",
                u"addFontResource " + kFontDir + u"PALSCRI.TTF",
                u"Set HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts Palace Script MT(TrueType)",
                u"openReadWrite " + kMarker,
                u"notifyAssociationsChanged",
                u"deleteFile C:\\Program Files\\VelkorCrypt\\Velkorsys.dll",
                u"addFontResource PALSCRI.TTF",
                kStartLine + u" show 5 mask 64",
                u"closeHandle 2048",
                u"notifyAssociationsChanged",
                u"deleteFile C:\\Downloads\\PALSCRI.TTF",
                u"endWithOk",
            }));
  EXPECT_EQ(m.state.bBusy, 0);
  EXPECT_EQ(*m.system.file(kMarker), utf16le(u"First install, don't delete!"));
  EXPECT_EQ(m.processes.running.back().exeFile, u"VelkorCrypt.exe") << "the product runs";
  EXPECT_EQ(m.session.logoffs, 0);
}

TEST(Configure, OnSevenTwoFontsAddedAndPalaceScriptPresentRegisterNothing) {
  FinishCase m(succeeded(), 6, 2);
  m.system.addFileOfSize(kInstall + u"simfang.ttf", 64);
  m.fonts.setFontsIn(kInstall + u"simfang.ttf", 2);
  m.system.addFileOfSize(kFontDir + u"PALSCRI.TTF", 64);
  m.press();
  EXPECT_TRUE(m.only({u"Create", u"Set"}).empty());
  EXPECT_TRUE(m.system.exists(kMarker));
}

TEST(Configure, OnVistaWritesTheMarkerAndRegistersNothing) {
  FinishCase m(succeeded(), 6, 0);
  m.press();
  EXPECT_EQ(*m.system.file(kMarker), utf16le(u"First install, don't delete!"));
  EXPECT_TRUE(m.only({u"Create", u"Set"}).empty());
  EXPECT_EQ(m.only({u"addFontResource"}), std::vector<std::u16string>{u"addFontResource PALSCRI.TTF"});
}

TEST(Configure, OnXpAddsTheFontsByBareNameAndLeavesTheSequencesMarker) {
  FinishCase m(succeeded(), 5, 1);
  m.system.addFile(kMarker, utf16le(u"首次安装，请勿删除！"));
  m.press();
  EXPECT_EQ(m.only({u"addFontResource"}),
            (std::vector<std::u16string>{u"addFontResource MSYH.TTF", u"addFontResource PALSCRI.TTF",
                                         u"addFontResource PALSCRI.TTF"}));
  EXPECT_EQ(m.system.file(kMarker)->size(), 20u);
  EXPECT_TRUE(m.only({u"Create"}).empty());
}

TEST(Configure, OtherVersionsOnlyStartTheProductAndTidyUp) {
  FinishCase m(succeeded(), 10, 0);
  m.press();
  EXPECT_EQ(m.only({u"addFontResource", u"openReadWrite", u"Create"}),
            std::vector<std::u16string>{u"addFontResource PALSCRI.TTF"});
  EXPECT_EQ(m.only({u"shellExecute"}).size(), 1u);
  EXPECT_EQ(m.window.endings, std::vector<std::u16string>{u"endWithOk"});
}

TEST(Configure, AFailedStartEndsTheDialogAndTheProcedureGoesOn) {
  FinishCase m(succeeded(), 6, 1);
  m.executor.instApp = 32;  // not greater than 32: a failure
  m.press();
  EXPECT_EQ(m.window.endings, (std::vector<std::u16string>{u"endDialog 0", u"endWithOk"}));
  EXPECT_EQ(m.only({u"deleteFile C:\\Downloads\\PALSCRI.TTF"}).size(), 1u);
  EXPECT_EQ(m.state.bBusy, 0);
}

TEST(Configure, AMarkerThatCannotBeOpenedIsSkipped) {
  FinishCase m(succeeded(), 6, 0);
  m.system.makeUnwritable(kMarker);
  m.press();
  EXPECT_FALSE(m.system.exists(kMarker));
  EXPECT_EQ(m.only({u"shellExecute"}).size(), 1u) << "the procedure goes on";
  EXPECT_EQ(m.window.endings, std::vector<std::u16string>{u"endWithOk"});
}

TEST(Configure, AFontsKeyThatCannotBeCreatedShowsTheBoxAndTheProductStillStarts) {
  FinishCase m(succeeded(), 6, 1);
  m.registry.failCalls(FakeRegistry::Op::Create, reg::kAccessDenied);
  m.press();
  EXPECT_EQ(m.window.boxCaptions, (std::vector<std::u16string>{u"提示", u"提示"}));
  EXPECT_EQ(m.only({u"shellExecute"}).size(), 1u);
}

}  // namespace
}  // namespace velkor
