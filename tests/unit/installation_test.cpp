// A whole installation on a fake machine: the sequence with the real removal,
// font step, registry configuration and shortcuts behind it, over the real
// payload table.
#include <gtest/gtest.h>

#include <string>

#include "engine/installation.h"
#include "engine/machine_number.h"
#include "payload/layout.h"
#include "unit/engine_support.h"
#include "unit/finish_support.h"

namespace velkor::testing {
namespace {

struct Installed : FinishMachine {
  std::vector<std::uint8_t> payload;

  explicit Installed(std::uint32_t major, std::uint32_t minor) {
    setVersion(major, minor);
    // A clean machine: the install directory appears only with the setup.
    system.removeDirectory(u"C:\\Program Files\\VelkorCrypt");
    payload = payloadBytes(payload::kPayloadSize);
    system.addFile(system.setupPath, concat(peImage(0x400), payload));
    system.seal = sealOf(payload);
    // What the Next handler has done before it calls the installation.
    state.bInstalling = state.bConfigurePending = state.bSetupStarted = state.bBusy = 1;
  }

  void run() {
    SetupFile setup = holdSetupFile(system);
    Installation installation(InstallationPorts{system, registry, fonts, libraries, folders, links},
                              window, state, computeMachineNumber(system.serial), setup);
    installation.run();
  }

  std::u16string stringAt(reg::RegKey root, const std::u16string& key, const char16_t* name) {
    auto v = registry.valueAt(root, key, name);
    if (!v || v->type != reg::kSz || v->bytes.size() < 2) return u"<none>";
    std::u16string s;
    for (std::size_t i = 0; i + 1 < v->bytes.size(); i += 2)
      s += static_cast<char16_t>(v->bytes[i] | (v->bytes[i + 1] << 8));
    while (!s.empty() && s.back() == 0) s.pop_back();
    return s;
  }
};

void expectMembersExtracted(Installed& m) {
  for (const auto& member : payload::kMembers) {
    SCOPED_TRACE(::testing::Message() << "member " << member.number);
    if (&member == &payload::kFontBundle) {
      EXPECT_FALSE(m.system.exists(member.destination)) << "the bundle lives only during the installation";
      continue;
    }
    const auto* file = m.system.file(member.destination);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(*file == sliceOf(m.payload, member));
  }
}

void expectConfigured(Installed& m) {
  EXPECT_EQ(m.stringAt(reg::kClassesRoot, u"SMVersions", u"Versions"), u"5.0");
  EXPECT_EQ(m.stringAt(reg::kClassesRoot, u".vka", nullptr), u"VKA 加密档案");
  EXPECT_EQ(m.stringAt(reg::kClassesRoot, u"VKA 加密档案\\shell\\open\\command", nullptr),
            u"\"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe\" \"%1\"");
  EXPECT_EQ(m.stringAt(reg::kCurrentUser, u"Software\\Velkorsetup", u"Lockpa"), u"1");
  EXPECT_TRUE(m.system.exists(kDesktop + u"\\Velkor超级文件加密器.lnk"));
  EXPECT_TRUE(m.system.exists(kDesktop + u"\\Velkor系统锁.lnk"));
  EXPECT_TRUE(m.system.exists(kPrograms + u"\\VelkorCrypt\\Velkor超级文件加密器.lnk"));
  EXPECT_TRUE(m.system.exists(kPrograms + u"\\VelkorCrypt\\Velkor系统锁.lnk"));
  EXPECT_TRUE(m.system.exists(kPrograms + u"\\VelkorCrypt\\卸载Velkor软件.lnk"));
}

// Runs a whole installation on a clean machine and checks what every
// successful one leaves: no failure, the nine members, the configuration.
void runSucceeding(Installed& m) {
  m.run();
  EXPECT_EQ(m.state.bInstallFailed, 0);
  expectMembersExtracted(m);
  expectConfigured(m);
}

TEST(Installation, FirstInstallOnWindows7WithoutFonts) {
  Installed m(6, 1);
  runSucceeding(m);
  EXPECT_EQ(m.state.bConfigurePending, 1);
  EXPECT_EQ(m.state.bLogoffPending, 0);
  // Both fonts were missing: part 1 went to the install directory and to the
  // font folder, part 2 to the font folder; the bar ran to its full 655 steps.
  EXPECT_EQ(m.system.file(kInstall + u"simfang.ttf")->size(), 3'996'872u);
  EXPECT_EQ(m.system.file(kFontDir + u"simfang.ttf")->size(), 3'996'872u);
  EXPECT_EQ(m.system.file(kFontDir + u"PALSCRI.TTF")->size(), 51'404u);
  EXPECT_EQ(m.window.position(), 655);
  EXPECT_EQ(m.system.openFileCount(), 0u);
}

TEST(Installation, FirstInstallOnVistaLogsOffAfterwards) {
  Installed m(6, 0);
  runSucceeding(m);
  EXPECT_EQ(m.state.bFirstInstall, 1);
  EXPECT_EQ(m.state.bLogoffPending, 1);
  EXPECT_EQ(m.stringAt(reg::kLocalMachine, u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
                       u"Palace Script MT(TrueType)"),
            u"PALSCRI.TTF");
  EXPECT_EQ(m.window.position(), 615);
}

TEST(Installation, FirstInstallOnXpLeavesTheFirstRunMarker) {
  Installed m(5, 1);
  runSucceeding(m);
  EXPECT_EQ(m.state.bLogoffPending, 0);
  ASSERT_NE(m.system.file(kInstall + u"FirstRun.txt"), nullptr);
  EXPECT_EQ(m.system.file(kInstall + u"FirstRun.txt")->size(), 20u);
  EXPECT_EQ(m.system.file(kFontDir + u"MSYH.TTF")->size(), 15'044'440u);
  EXPECT_EQ(m.window.position(), 766);
}

TEST(Installation, ARunningProgramStopsItBeforeFontsRegistryAndShortcuts) {
  Installed m(6, 1);
  // An earlier installation's main program still runs: its file is open.
  m.system.addDirectory(u"C:\\Program Files\\VelkorCrypt");
  m.system.addFile(payload::kMembers[4].destination, {1, 2, 3});
  auto busy = m.system.openRead(payload::kMembers[4].destination);
  ASSERT_TRUE(busy);
  m.system.makeUnwritable(payload::kMembers[4].destination);
  m.run();
  EXPECT_EQ(m.state.bInstallFailed, 1);
  EXPECT_EQ(m.state.bInstalling, 0);
  EXPECT_EQ(m.window.text(1002).value_or(u""), payload::kMembers[4].destination);
  EXPECT_FALSE(m.registry.hasKey(reg::kClassesRoot, u"SMVersions"));
  EXPECT_FALSE(m.system.exists(kDesktop + u"\\Velkor超级文件加密器.lnk"));
  EXPECT_FALSE(m.system.exists(payload::kMembers[5].destination));
  m.system.close(busy);
}

}  // namespace
}  // namespace velkor::testing
