// The installation sequence on a fake machine: its steps in order, the flags
// it leaves for each Windows class, the bytes it writes, and the failure page
// for every way an installation can fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/failure_display.h"
#include "engine/install_paths.h"
#include "engine/install_sequence.h"
#include "lib/crc_forge.h"
#include "unit/engine_support.h"

namespace velkor {
namespace {

using fakes::FakeMainWindow;
using testing::FakeMachine;
using Kind = FakeMainWindow::Kind;

const std::u16string kSetup = u"C:\\Downloads\\Velkorsetup.exe";
const std::u16string kInstallDir = paths::kInstallDirectory;

// Lengths for a table of the real shape in miniature; odd, with member 3 (the
// bundle) the largest, as in the real one.
const std::vector<std::uint32_t> kSmall = {22'323, 55'352, 190'927, 22'579, 127'923,
                                           885, 188, 32'194, 123'125};

std::vector<std::u16string> without(const std::vector<std::u16string>& journal,
                                    const std::vector<std::u16string>& prefixes) {
  std::vector<std::u16string> out;
  for (const auto& e : journal) {
    const bool drop = std::any_of(prefixes.begin(), prefixes.end(),
                                  [&](const std::u16string& p) { return e.rfind(p, 0) == 0; });
    if (!drop) out.push_back(e);
  }
  return out;
}

// Members 1..count are on disk, byte-identical to their slices of the payload,
// the rest absent. After a successful installation the bundle (member 3) has
// been deleted again: pass bundleKept = false.
void expectMembersWritten(const FakeMachine& m, std::size_t count, bool bundleKept = true) {
  for (std::size_t i = 0; i < m.members.size(); ++i) {
    const auto& member = m.members[i];
    SCOPED_TRACE(member.number);
    const auto* file = m.system.file(member.destination);
    if (i < count && (bundleKept || member.number != 3)) {
      ASSERT_NE(file, nullptr);
      EXPECT_TRUE(*file == testing::sliceOf(m.payload, member)) << "byte-identical to its slice";
    } else {
      EXPECT_EQ(file, nullptr);
    }
  }
}

void expectFailurePage(const FakeMachine& m, const std::u16string& path, const std::u16string& reason) {
  EXPECT_EQ(m.window.text(ctl::kTitle), std::u16string(u"Velkor超级文件加密器 安装向导提示"));
  EXPECT_EQ(m.window.text(ctl::kLine1), path);
  EXPECT_EQ(m.window.text(ctl::kLine2), reason);
  EXPECT_EQ(m.window.text(ctl::kLine3), std::u16string(u"单击确定退出安装。"));
  EXPECT_EQ(m.window.text(ctl::kStatus), std::u16string(u"安装失败！"));
  EXPECT_EQ(m.window.text(ctl::kCancelFinish), std::u16string(u"确定"));
  EXPECT_FALSE(m.window.isVisible(ctl::kNext));
  EXPECT_EQ(m.state.bInstalling, 0);
  EXPECT_EQ(m.state.bInstallFailed, 1);
  EXPECT_EQ(m.state.bLogoffPending, 0);
  EXPECT_EQ(m.operations.count(u"ops provisionFonts"), 0u);
  EXPECT_EQ(m.operations.count(u"ops writeRegistryConfiguration"), 0u);
  EXPECT_EQ(m.operations.count(u"ops createShortcuts"), 0u);
  EXPECT_EQ(m.system.countCalls(u"notifyAssociationsChanged"), 0u);
  EXPECT_FALSE(m.system.held(m.system.setupPath)) << "a failed installation lets the setup file go";
  EXPECT_EQ(m.system.openFileCount(), 0u) << "every stream closed";
}

const std::u16string kProgramInUse = u"当前该可执行程序正在运行，请关闭后重新安装...";
const std::u16string kWriteFailed = u"文件写入失败，请检查磁盘空间后重新安装。";
const std::u16string kSetupDamaged = u"安装程序文件不完整或已损坏，请重新下载后再安装。";

TEST(InstallSequence, RunsItsStepsInOrder) {
  FakeMachine m;
  m.scale(kSmall);
  m.placeSetupFile();
  m.system.version = {6, 1, 7601, 2};
  m.system.addFileOfSize(u"C:\\windows\\Fonts\\simfang.ttf", 3'996'872);
  m.system.addFileOfSize(u"C:\\windows\\Fonts\\PALSCRI.TTF", 51'404);
  // The font step reads the bundle from the held setup file, not from the
  // extracted copy that anyone with access to the install directory could change.
  std::vector<std::uint8_t> bundleRead;
  bool setupHeldDuringFonts = false;
  m.operations.fontStep = [&](VersionClass, BlockCopier&, const BundleSource& bundle) {
    setupHeldDuringFonts = m.system.held(kSetup);
    bundleRead.resize(m.members[2].length);
    ASSERT_TRUE(m.system.seek(bundle.file, bundle.start, SeekOrigin::Begin));
    bundleRead.resize(m.system.read(bundle.file, bundleRead.data(), bundleRead.size()));
  };
  m.run();

  const std::u16string upper = u"45";  // (575,496 + 3,996,872) / 100,000
  std::vector<std::u16string> expected = {
      u"openReadHeld " + kSetup,
      u"versionRecord",
      u"stopAnimation 1018",
      u"createDirectory " + kInstallDir,
      u"ops removePreviousInstallation",
      u"setProgressPos 0",
      u"setProgressStep 1",
      u"setProgressRange 0 " + upper,
      u"createDirectory " + kInstallDir,
  };
  for (const auto& member : m.members) {
    expected.push_back(u"setText 1012 " + std::u16string(member.destination));
    expected.push_back(u"openReadWrite " + std::u16string(member.destination));
    expected.push_back(u"close " + std::u16string(member.destination));
  }
  for (const std::u16string& e :
       {std::u16string(u"ops provisionFonts"), u"close " + kSetup,
        std::u16string(u"ops writeRegistryConfiguration"),
        u"deleteFile " + kInstallDir + u"\\Velkorsys.dll",
        std::u16string(u"deleteFile C:\\Downloads\\PALSCRI.TTF"),
        std::u16string(u"ops createShortcuts"), std::u16string(u"notifyAssociationsChanged"),
        u"setProgressPos " + upper})
    expected.push_back(e);

  EXPECT_EQ(without(m.journal, {u"findFirst", u"stepProgress"}), expected);
  EXPECT_EQ(m.state.bInstallFailed, 0);
  EXPECT_EQ(bundleRead, testing::sliceOf(m.payload, m.members[2])) << "the font step reads the whole bundle";
  EXPECT_TRUE(setupHeldDuringFonts) << "the setup file is held until the last copy";
  EXPECT_FALSE(m.system.held(kSetup)) << "and let go afterwards";
  expectMembersWritten(m, 9, false);
  EXPECT_FALSE(m.system.exists(kInstallDir + u"\\Velkorsys.dll")) << "the bundle is gone afterwards";
}

struct FlagCase {
  const char* name;
  VersionRecord version;
  bool fontStepSetsFirstInstall;
  bool fontStepRuns;
  int logoffPending;
};

class InstallFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(InstallFlags, LeaveTheFinishToConfigureOrToLogOff) {
  const FlagCase& c = GetParam();
  FakeMachine m;
  m.scale(kSmall);
  m.placeSetupFile();
  m.system.version = c.version;
  m.operations.fontStep = [&](VersionClass, BlockCopier&, const BundleSource&) {
    if (c.fontStepSetsFirstInstall) m.state.bFirstInstall = 1;
  };
  m.run();
  EXPECT_EQ(m.operations.count(u"ops provisionFonts"), c.fontStepRuns ? 1u : 0u);
  if (c.fontStepRuns) EXPECT_EQ(m.operations.fontVersions.at(0), classify(c.version));
  EXPECT_EQ(m.state.bLogoffPending, c.logoffPending);
  EXPECT_EQ(m.state.bConfigurePending, 1);
  EXPECT_EQ(m.state.bInstallFailed, 0);
  EXPECT_EQ(m.state.bInstalling, 1) << "the Next handler clears it after a success";
  EXPECT_EQ(m.window.position(), m.window.upperBound()) << "the bar stands full";
  EXPECT_EQ(m.operations.count(u"ops createShortcuts"), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    EveryClass, InstallFlags,
    ::testing::Values(FlagCase{"vista_first_install", {6, 0, 6002, 2}, true, true, 1},
                      FlagCase{"vista_fonts_present", {6, 0, 6002, 2}, false, true, 0},
                      FlagCase{"xp", {5, 1, 2600, 2}, true, true, 0},
                      FlagCase{"seven", {6, 1, 7601, 2}, true, true, 0},
                      FlagCase{"other_runs_no_font_step", {5, 0, 2195, 2}, false, false, 0}),
    [](const ::testing::TestParamInfo<FlagCase>& info) { return std::string(info.param.name); });

TEST(InstallSequence, ProgressStepsAcrossTheWholeInstallationMatchAByteAtATimeCopy) {
  for (const std::size_t block : {std::size_t{1}, std::size_t{4093}, std::size_t{65'536}, kDefaultCopyBlock}) {
    SCOPED_TRACE(block);
    FakeMachine m;
    m.scale(kSmall);
    m.config.blockSize = block;
    m.placeSetupFile();
    m.system.version = {6, 1, 7601, 2};
    // The font step copies through the same counter: two font files.
    const std::vector<std::uint32_t> fontCopies = {77'777, 51'404};
    m.operations.fontStep = [&](VersionClass, BlockCopier& copier, const BundleSource&) {
      for (std::size_t i = 0; i < fontCopies.size(); ++i) {
        const std::u16string src = u"C:\\font-src" + std::u16string(1, char16_t(u'0' + i));
        m.system.addFile(src, testing::payloadBytes(fontCopies[i], 9));
        ScopedFile from(m.system, m.system.openRead(src));
        ScopedFile to(m.system, m.system.openReadWrite(src + u".out"));
        ASSERT_EQ(copier.copy(from.get(), to.get(), fontCopies[i]), CopyResult::Complete);
      }
    };
    testing::StepLog log;
    log.attach(m.window, m.system);
    m.run();

    std::vector<std::uint32_t> copies(kSmall);
    copies.insert(copies.end(), fontCopies.begin(), fontCopies.end());
    expectStepsOfAByteAtATimeCopy(log, copies, block);
    EXPECT_EQ(m.state.bInstallFailed, 0);
  }
}

TEST(InstallSequence, TheRealPayloadAloneFillsTheBarIn575Steps) {
  FakeMachine m;
  m.placeSetupFile(0x2000);
  m.system.version = {6, 0, 6002, 2};
  m.system.addFileOfSize(u"C:\\windows\\Fonts\\simfang.ttf", 3'996'872);
  m.system.addFileOfSize(u"C:\\windows\\Fonts\\PALSCRI.TTF", 51'404);
  std::vector<int> positions;
  m.window.onStepIt = [&] { positions.push_back(m.window.position()); };
  m.run();
  EXPECT_EQ(m.window.upperBound(), 575);
  EXPECT_EQ(m.window.stepIts, 575u);
  ASSERT_FALSE(positions.empty());
  EXPECT_EQ(positions.back(), 575) << "full before the final position is set";
  expectMembersWritten(m, 9, false);
  EXPECT_EQ(m.window.eventsOf(Kind::Pos).back().a, 575);
}

TEST(InstallSequence, AnOtherVersionExtractsEverythingWithAnEmptyRange) {
  FakeMachine m;
  m.scale(kSmall);
  m.placeSetupFile();
  m.system.version = {10, 0, 19045, 2};
  m.run();
  EXPECT_EQ(m.window.upperBound(), 0);
  EXPECT_EQ(m.window.position(), 0);
  expectMembersWritten(m, 9, false);
}

TEST(InstallSequence, ASignedSetupFileInstallsFromBeforeItsCertificateTable) {
  FakeMachine m;
  m.scale(kSmall);
  m.payload = testing::payloadBytes(m.config.payloadSize);
  auto image = testing::peImage(0x400);
  const std::uint32_t tableAt = static_cast<std::uint32_t>(image.size() + m.payload.size());
  const std::vector<std::uint8_t> table(0x5D8, 0xCE);
  testing::declareCertificateTable(image, tableAt, static_cast<std::uint32_t>(table.size()));
  m.system.addFile(kSetup, testing::concat(testing::concat(image, m.payload), table));
  m.system.seal = testing::sealOf(m.payload);
  m.run();
  EXPECT_EQ(m.state.bInstallFailed, 0);
  expectMembersWritten(m, 9, false);
}

// ---- Failures ----------------------------------------------------------------

TEST(InstallFailure, AProgramMemberThatCannotBeOpenedNamesItsPath) {
  FakeMachine m;
  m.scale(kSmall);
  m.placeSetupFile();
  const std::u16string mainProgram = kInstallDir + u"\\VelkorCrypt.exe";
  m.system.makeUnwritable(mainProgram);
  m.run();
  expectFailurePage(m, mainProgram, kProgramInUse);
  expectMembersWritten(m, 4);  // members 1 to 4 stay, 6 to 9 are never written
  EXPECT_EQ(m.window.textsOf(ctl::kStatus).end()[-2], mainProgram)
      << "the status line named the file before it was opened";
}

TEST(InstallFailure, AnyMemberThatCannotBeOpenedFailsLikeAProgram) {
  FakeMachine m;
  m.scale(kSmall);
  m.placeSetupFile();
  const std::u16string skin = kInstallDir + u"\\skinh.she";
  m.system.makeUnwritable(skin);
  m.run();
  expectFailurePage(m, skin, kProgramInUse);
  expectMembersWritten(m, 6);
}

TEST(InstallFailure, ADirectoryInPlaceOfAMemberFailsTheInstallation) {
  FakeMachine m;
  m.scale(kSmall);
  m.placeSetupFile();
  const std::u16string shredder = kInstallDir + u"\\VelkorShredder.exe";
  m.system.addDirectory(shredder);
  m.run();
  expectFailurePage(m, shredder, kProgramInUse);
  EXPECT_TRUE(m.system.isDirectory(shredder));
}

TEST(InstallFailure, AFullDiskFailsAndDeletesTheIncompleteFile) {
  FakeMachine m;
  m.scale(kSmall);
  m.placeSetupFile();
  m.system.limitDiskSpace(kSmall[0] + kSmall[1] + 1000);  // runs out inside member 3
  m.run();
  const std::u16string bundle = kInstallDir + u"\\Velkorsys.dll";
  expectFailurePage(m, bundle, kWriteFailed);
  expectMembersWritten(m, 2);
  EXPECT_FALSE(m.system.exists(bundle)) << "the incomplete file is deleted";
}

TEST(InstallFailure, AFailedCloseIsAFailedWrite) {
  FakeMachine m;
  m.scale(kSmall);
  m.placeSetupFile();
  const std::u16string library = kInstallDir + u"\\MediaInfo.dll";
  m.system.failCloseOf(library);
  m.run();
  expectFailurePage(m, library, kWriteFailed);
  EXPECT_FALSE(m.system.exists(library));
  expectMembersWritten(m, 7);
}

TEST(InstallFailure, ASetupFileCutShortDuringTheCopyFailsAndDeletesTheIncompleteFile) {
  FakeMachine m;
  m.scale(kSmall);
  m.config.blockSize = 4096;
  m.placeSetupFile();
  // Once member 4 is under way, the setup file loses its second half.
  const std::uint64_t cutAfter = kSmall[0] + kSmall[1] + kSmall[2] + 10'000;
  const std::size_t keep = m.system.file(kSetup)->size() / 2;
  m.window.onPump = [&] {
    if (m.system.bytesWritten() > cutAfter) m.system.truncate(kSetup, keep);
  };
  m.run();
  const std::u16string lock = kInstallDir + u"\\VelkorLock.exe";
  expectFailurePage(m, lock, kWriteFailed);
  EXPECT_FALSE(m.system.exists(lock));
  expectMembersWritten(m, 3);
}

struct BadSetup {
  const char* name;
  std::function<void(FakeMachine&)> spoil;
};

class BadSetupFile : public ::testing::TestWithParam<BadSetup> {};

TEST_P(BadSetupFile, ShowsTheFailurePageAndLeavesTheMachineAsItWas) {
  FakeMachine m;
  m.scale(kSmall);
  m.placeSetupFile();
  // An earlier installation that must survive untouched.
  m.system.addFile(kInstallDir + u"\\VelkorCrypt.exe", {1, 2, 3});
  GetParam().spoil(m);
  const auto before = m.system.tree();
  m.run();
  EXPECT_TRUE(m.system.tree() == before) << "nothing created, written or removed";
  expectFailurePage(m, m.system.setupPath, kSetupDamaged);
  EXPECT_EQ(m.operations.count(u"ops removePreviousInstallation"), 0u);
  EXPECT_EQ(m.system.countCalls(u"createDirectory"), 0u);
  EXPECT_EQ(m.system.countCalls(u"openReadWrite"), 0u);
  EXPECT_TRUE(m.window.eventsOf(Kind::Range).empty()) << "progress never began";
}

std::vector<std::uint8_t>& setupBytes(FakeMachine& m) {
  return const_cast<std::vector<std::uint8_t>&>(*m.system.file(kSetup));
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, BadSetupFile,
    ::testing::Values(
        BadSetup{"missing", [](FakeMachine& m) { m.system.deleteFile(kSetup); }},
        BadSetup{"renamed_elsewhere",
                 [](FakeMachine& m) { m.system.setupPath = u"C:\\Downloads\\other.exe"; }},
        BadSetup{"truncated", [](FakeMachine& m) { m.system.truncate(kSetup, setupBytes(m).size() - 1); }},
        BadSetup{"shorter_than_a_payload",
                 [](FakeMachine& m) { m.system.truncate(kSetup, m.config.payloadSize - 1); }},
        BadSetup{"one_byte_changed", [](FakeMachine& m) { setupBytes(m)[setupBytes(m).size() - 5000] ^= 0x01; }},
        BadSetup{"data_appended",
                 [](FakeMachine& m) { setupBytes(m).insert(setupBytes(m).end(), 8, 0); }},
        BadSetup{"table_not_at_the_end",
                 [](FakeMachine& m) {
                   auto& b = setupBytes(m);
                   testing::declareCertificateTable(b, static_cast<std::uint32_t>(b.size() - 16), 8);
                   b.insert(b.end(), 8, 0);
                 }},
        BadSetup{"no_seal", [](FakeMachine& m) { m.system.seal.reset(); }},
        BadSetup{"unfilled_seal", [](FakeMachine& m) { m.system.seal = seal::PayloadSeal{}; }},
        BadSetup{"changed_with_its_crc32_kept",
                 [](FakeMachine& m) {
                   auto& b = setupBytes(m);
                   const std::size_t payloadAt = b.size() - m.config.payloadSize;
                   const std::uint32_t crc = crc32(b.data() + payloadAt, m.config.payloadSize);
                   b[b.size() - 5000] ^= 0x01;
                   testing::restoreCrc32(b.data() + payloadAt, m.config.payloadSize, 100, crc);
                   ASSERT_EQ(crc32(b.data() + payloadAt, m.config.payloadSize), crc);
                 }},
        BadSetup{"held_open_for_writing_elsewhere",
                 [](FakeMachine& m) { m.system.makeUnholdable(kSetup); }}),
    [](const ::testing::TestParamInfo<BadSetup>& info) { return std::string(info.param.name); });

TEST(InstallFailure, TheSetupFileCheckKeepsTheWindowResponsive) {
  FakeMachine m;
  m.scale(kSmall);
  m.placeSetupFile();
  setupBytes(m)[0x300] ^= 0x80;  // in the image: the payload is still sound
  std::size_t pumpsDuringCheck = 0;
  m.window.onPump = [&] {
    if (m.system.countCalls(u"createDirectory") == 0) ++pumpsDuringCheck;
  };
  m.run();
  EXPECT_EQ(m.state.bInstallFailed, 0) << "the seal covers the payload, not the image";
  // 575,496 bytes in blocks of the default size.
  EXPECT_EQ(pumpsDuringCheck, (m.config.payloadSize + kDefaultCopyBlock - 1) / kDefaultCopyBlock);
}

// The check begun while the window waited for the user is finished, not
// begun again, by the installation, and decides as a check at its start would.
TEST(InstallSequence, ACheckAdvancedWhileIdleIsFinishedByTheInstallation) {
  const std::size_t blocks = (testing::sumOf(testing::scaledMembers(kSmall)) + kDefaultCopyBlock - 1) / kDefaultCopyBlock;
  for (const std::size_t advanced : {std::size_t{1}, blocks + 1, blocks + 5}) {
    for (const bool damaged : {false, true}) {
      SCOPED_TRACE(std::to_string(advanced) + (damaged ? " pieces, damaged" : " pieces, sound"));
      FakeMachine m;
      m.scale(kSmall);
      m.placeSetupFile();
      if (damaged) setupBytes(m)[setupBytes(m).size() - 7] ^= 0x10;
      m.hold();
      std::size_t more = 0;
      for (std::size_t i = 0; i < advanced; ++i) more += advanceSetupCheck(m.system, m.setup, m.config.payloadSize);
      EXPECT_EQ(more, std::min(advanced, blocks)) << "one block a piece, then nothing more";
      std::size_t pumpsDuringCheck = 0;
      m.window.onPump = [&] {
        if (m.system.countCalls(u"createDirectory") == 0) ++pumpsDuringCheck;
      };
      m.run();
      EXPECT_EQ(pumpsDuringCheck, blocks - std::min(advanced, blocks)) << "only the rest was read";
      if (damaged) {
        expectFailurePage(m, kSetup, kSetupDamaged);
        EXPECT_EQ(m.system.countCalls(u"createDirectory"), 0u);
      } else {
        EXPECT_EQ(m.state.bInstallFailed, 0);
        expectMembersWritten(m, 9, false);
      }
    }
  }
}

}  // namespace
}  // namespace velkor
