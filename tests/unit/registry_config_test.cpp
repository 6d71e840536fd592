// The registry configuration on the registry fake: the entries, their order
// and exact data, the version marker and the lock-password decision, the
// notice and the status line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/registry_config.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_main_window.h"
#include "platform/main_window.h"

namespace {

using velkor::fakes::FakeRegistry;
using velkor::fakes::FakeMainWindow;
using Kind = FakeMainWindow::Kind;
namespace reg = velkor::reg;
namespace rc = velkor::regconfig;
using Op = FakeRegistry::Op;

constexpr char16_t kMain[] = u"\"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe\" \"%1\"";
constexpr char16_t kShred[] = u"\"C:\\Program Files\\VelkorCrypt\\VelkorShredder.exe\" \"%1\"";
constexpr char16_t kIcon[] = u"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe,3";
constexpr char16_t kType[] = u"VKA 加密档案";
constexpr char16_t kLockKey[] = u"Software\\Velkorsetup";
constexpr std::int32_t kMachine = 3;

struct Write {
  std::u16string path;
  std::u16string valueName;
  bool operator==(const Write& o) const { return path == o.path && valueName == o.valueName; }
};

std::ostream& operator<<(std::ostream& out, const Write& w) {
  for (char16_t c : w.path + u" / " + w.valueName)
    out << (c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

const Write kEntryWrites[12] = {
    {u"HKCR\\SMVersions", u"Versions"},
    {u"HKCR\\VKA 加密档案\\defaultIcon", u""},
    {u"HKCU\\Software\\Velkorsetup", u"Lockpw"},
    {u"HKCU\\Software\\Velkorsetup", u"Lockpa"},
    {u"HKCR\\*\\shell\\Velkor超级文件加密器\\command", u""},
    {u"HKCR\\*\\shell\\Velkor超级粉碎\\command", u""},
    {u"HKCR\\.vka", u""},
    {u"HKCR\\VKA 加密档案", u""},
    {u"HKCR\\VKA 加密档案\\defaultIcon", u""},
    {u"HKCR\\VKA 加密档案\\shell\\open\\command", u""},
    {u"HKCR\\Folder\\shell\\Velkor超级文件加密器\\command", u""},
    {u"HKCR\\Folder\\shell\\Velkor超级粉碎\\command", u""},
};

std::vector<Write> entryWrites(std::initializer_list<int> numbers) {
  std::vector<Write> writes;
  for (int n : numbers) writes.push_back(kEntryWrites[n - 1]);
  return writes;
}

class RegistryConfigTest : public ::testing::Test {
 protected:
  void run() { rc::writeRegistryConfiguration(fake, view, kMachine); }

  // The values set successfully, in order.
  std::vector<Write> writes() const { return writesBefore(fake.calls().size()); }

  // The values set successfully among the first |count| registry calls.
  std::vector<Write> writesBefore(std::size_t count) const {
    std::vector<Write> result;
    for (std::size_t i = 0; i < count && i < fake.calls().size(); ++i) {
      const auto& call = fake.calls()[i];
      if (call.op == Op::Set && call.status == 0) result.push_back({call.path, call.valueName});
    }
    return result;
  }

  // The journal line at index i, or "" past either end.
  std::u16string line(std::ptrdiff_t i) const {
    return i >= 0 && static_cast<std::size_t>(i) < journal.size() ? journal[i] : u"";
  }
  std::ptrdiff_t indexOf(std::u16string_view text) const {
    for (std::size_t i = 0; i < journal.size(); ++i)
      if (journal[i] == text) return static_cast<std::ptrdiff_t>(i);
    return -1;
  }
  // The last value set before journal line i.
  std::u16string lastSetBefore(std::ptrdiff_t i) const {
    for (std::ptrdiff_t j = i - 1; j >= 0; --j)
      if (journal[j].rfind(u"Set ", 0) == 0) return journal[j];
    return u"";
  }

  // The data of a value as REG_SZ with its terminator.
  void expectString(reg::RegKey root, std::u16string_view key, const char16_t* name,
                    std::u16string_view text) {
    const auto stored = fake.valueAt(root, key, name);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->type, reg::kSz);
    EXPECT_EQ(stored->bytes, FakeRegistry::bytesOf(text, true));
  }

  void seedVersion(std::u16string_view text) {
    fake.putString(reg::kClassesRoot, u"SMVersions", u"Versions", text);
  }
  void seedLockFlag(std::u16string_view text) {
    fake.putString(reg::kCurrentUser, kLockKey, u"Lockpa", text);
  }
  void seedOldPassword() {
    fake.putString(reg::kCurrentUser, kLockKey, u"Lockpw", u"old");
  }
  bool passwordWasReset() const {
    const auto stored = fake.valueAt(reg::kCurrentUser, kLockKey, u"Lockpw");
    return stored && stored->bytes == FakeRegistry::bytesOf(rc::encodeLockPassword(kMachine), true);
  }

  void SetUp() override {
    fake.journal = &journal;
    view.journal = &journal;
  }

  FakeRegistry fake;
  FakeMainWindow view;
  std::vector<std::u16string> journal;  // registry calls and window calls, in order
};

// ---- The table ----

TEST(RegistryEntries, CommandsQuoteTheProgramPathAndThePlaceholder) {
  EXPECT_EQ(rc::mainCommand(), kMain);
  EXPECT_EQ(rc::shredCommand(), kShred);
}

TEST(RegistryEntries, TwelveEntriesInTheirOrderWithTheirData) {
  struct Expected {
    reg::RegKey root;
    std::u16string key;
    const char16_t* valueName;
    std::u16string data;
    bool createFirst;
    std::uint32_t openAccess;
  };
  const std::vector<Expected> expected = {
      {reg::kClassesRoot, u"SMVersions", u"Versions", u"5.0", true, 0x20006},
      {reg::kClassesRoot, u"VKA 加密档案\\defaultIcon", nullptr, kIcon, true, 0x20006},
      {reg::kCurrentUser, kLockKey, u"Lockpw", rc::encodeLockPassword(kMachine), false, 0x20006},
      {reg::kCurrentUser, kLockKey, u"Lockpa", u"1", false, 0x20006},
      {reg::kClassesRoot, u"*\\shell\\Velkor超级文件加密器\\command", nullptr, kMain, true, 0x20006},
      {reg::kClassesRoot, u"*\\shell\\Velkor超级粉碎\\command", nullptr, kShred, true, 0x20006},
      {reg::kClassesRoot, u".vka", nullptr, kType, true, 0x20006},
      {reg::kClassesRoot, kType, nullptr, kType, true, 0x20006},
      {reg::kClassesRoot, u"VKA 加密档案\\defaultIcon", nullptr, kIcon, true, 0x20006},
      {reg::kClassesRoot, u"VKA 加密档案\\shell\\open\\command", nullptr, kMain, true, 0x2001F},
      {reg::kClassesRoot, u"Folder\\shell\\Velkor超级文件加密器\\command", nullptr, kMain, true, 0x20006},
      {reg::kClassesRoot, u"Folder\\shell\\Velkor超级粉碎\\command", nullptr, kShred, true, 0x20006},
  };
  const auto entries = rc::registryEntries(kMachine);
  ASSERT_EQ(entries.size(), expected.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(::testing::Message() << "entry " << i + 1);
    EXPECT_EQ(entries[i].number, static_cast<int>(i + 1));
    EXPECT_EQ(entries[i].root, expected[i].root);
    EXPECT_EQ(entries[i].key, expected[i].key);
    EXPECT_EQ(std::u16string(entries[i].valueName ? entries[i].valueName : u"(default)"),
              std::u16string(expected[i].valueName ? expected[i].valueName : u"(default)"));
    EXPECT_EQ(entries[i].data, expected[i].data);
    EXPECT_EQ(entries[i].createFirst, expected[i].createFirst);
    EXPECT_EQ(entries[i].openAccess, expected[i].openAccess);
  }
}

TEST(LockPasswordDecision, ResetsUnlessTheSameVersionHasAFlag) {
  using A = rc::LockPasswordAction;
  EXPECT_EQ(rc::decideLockPassword(0, u"1", u"5.0"), A::Keep);
  EXPECT_EQ(rc::decideLockPassword(0, u"0", u"5.0"), A::Keep);  // any text but the empty one
  EXPECT_EQ(rc::decideLockPassword(0, u"", u"5.0"), A::ResetWithNotice);
  EXPECT_EQ(rc::decideLockPassword(13, u"", u"5.0"), A::Reset);
  EXPECT_EQ(rc::decideLockPassword(234, u"", u"5.0"), A::Reset);
  EXPECT_EQ(rc::decideLockPassword(0, u"1", u"4.2"), A::Reset);
  EXPECT_EQ(rc::decideLockPassword(0, u"", u""), A::Reset);
  EXPECT_EQ(rc::decideLockPassword(0, u"1", u"5.0 "), A::Reset);
}

// ---- Whole configurations ----

TEST_F(RegistryConfigTest, FirstInstallWritesEveryEntryInOrderWithoutNotice) {
  run();
  EXPECT_EQ(writes(), entryWrites({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  expectString(reg::kClassesRoot, u"SMVersions", u"Versions", u"5.0");
  expectString(reg::kClassesRoot, u"VKA 加密档案\\defaultIcon", nullptr, kIcon);
  expectString(reg::kCurrentUser, kLockKey, u"Lockpw", rc::encodeLockPassword(kMachine));
  expectString(reg::kCurrentUser, kLockKey, u"Lockpa", u"1");
  expectString(reg::kClassesRoot, u"*\\shell\\Velkor超级文件加密器\\command", nullptr, kMain);
  expectString(reg::kClassesRoot, u"*\\shell\\Velkor超级粉碎\\command", nullptr, kShred);
  expectString(reg::kClassesRoot, u".vka", nullptr, kType);
  expectString(reg::kClassesRoot, kType, nullptr, kType);
  expectString(reg::kClassesRoot, u"VKA 加密档案\\shell\\open\\command", nullptr, kMain);
  expectString(reg::kClassesRoot, u"Folder\\shell\\Velkor超级文件加密器\\command", nullptr, kMain);
  expectString(reg::kClassesRoot, u"Folder\\shell\\Velkor超级粉碎\\command", nullptr, kShred);
  // Nothing else: the verb keys have no value of their own.
  EXPECT_EQ(fake.leafKeys(reg::kClassesRoot),
            (std::vector<std::u16string>{u"*\\shell\\Velkor超级文件加密器\\command",
                                         u"*\\shell\\Velkor超级粉碎\\command",
                                         u".vka",
                                         u"Folder\\shell\\Velkor超级文件加密器\\command",
                                         u"Folder\\shell\\Velkor超级粉碎\\command",
                                         u"SMVersions",
                                         u"VKA 加密档案\\defaultIcon",
                                         u"VKA 加密档案\\shell\\open\\command"}));
  EXPECT_TRUE(fake.valueNames(reg::kClassesRoot, u"*\\shell\\Velkor超级粉碎").empty());
  EXPECT_TRUE(fake.valueNames(reg::kClassesRoot, u"VKA 加密档案\\shell\\open").empty());
  EXPECT_EQ(fake.valueNames(reg::kCurrentUser, kLockKey),
            (std::vector<std::u16string>{u"Lockpa", u"Lockpw"}));
  EXPECT_TRUE(view.eventsOf(Kind::MessageBox).empty());
  EXPECT_EQ(fake.openHandles(), 0u);
}

TEST_F(RegistryConfigTest, TheStatusLineComesAfterTheLockPasswordAndBeforeEntryFive) {
  run();
  EXPECT_EQ(view.textsOf(1012), std::vector<std::u16string>{u"写入注册表..."});
  const std::ptrdiff_t status = indexOf(u"setText 1012 写入注册表...");
  ASSERT_GE(status, 0);
  EXPECT_EQ(lastSetBefore(status), u"Set HKCU\\Software\\Velkorsetup Lockpa");
  EXPECT_EQ(line(status + 1), u"Create HKCR\\*\\shell\\Velkor超级文件加密器\\command");
  EXPECT_EQ(view.events.size(), 1u);  // nothing else happens to the window
  EXPECT_EQ(view.pumps, 0u);
}

TEST_F(RegistryConfigTest, EachEntryIsCreatedOpenedForWritingThenWritten) {
  run();
  const auto callsOn = [&](std::u16string_view path) {
    std::vector<std::pair<Op, std::uint32_t>> ops;
    for (const auto& c : fake.calls())
      if (c.path == path) ops.emplace_back(c.op, c.access);
    return ops;
  };
  using V = std::vector<std::pair<Op, std::uint32_t>>;
  // Create, Open (which closes the created key), WriteString's own Create,
  // Set and Close, then the Close of the opened key.
  const V usual = {{Op::Create, 0x2001F}, {Op::Open, 0x20006}, {Op::Close, 0},
                   {Op::Create, 0x2001F}, {Op::Set, 0},       {Op::Close, 0}, {Op::Close, 0}};
  EXPECT_EQ(callsOn(u"HKCR\\.vka"), usual);
  EXPECT_EQ(callsOn(u"HKCR\\Folder\\shell\\Velkor超级粉碎\\command"), usual);
  const V readWrite = {{Op::Create, 0x2001F}, {Op::Open, 0x2001F}, {Op::Close, 0},
                       {Op::Create, 0x2001F}, {Op::Set, 0},       {Op::Close, 0}, {Op::Close, 0}};
  EXPECT_EQ(callsOn(u"HKCR\\VKA 加密档案\\shell\\open\\command"), readWrite);
  // The marker: read with every right first, then entry 1.
  const V marker = {{Op::Open, 0xF003F}, {Op::Create, 0x2001F}, {Op::Open, 0x20006},
                    {Op::Close, 0},      {Op::Create, 0x2001F}, {Op::Set, 0},
                    {Op::Close, 0},      {Op::Close, 0}};
  EXPECT_EQ(callsOn(u"HKCR\\SMVersions"), marker);
  // The lock pair: the read, then Open (it fails the first time: no key yet),
  // WriteString, Close for each; no Create of their own.
  const V lock = {{Op::Open, 0xF003F},                                       // read of Lockpa
                  {Op::Open, 0x20006}, {Op::Create, 0x2001F}, {Op::Set, 0}, {Op::Close, 0},
                  {Op::Open, 0x20006}, {Op::Create, 0x2001F}, {Op::Set, 0}, {Op::Close, 0},
                  {Op::Close, 0}};
  EXPECT_EQ(callsOn(u"HKCU\\Software\\Velkorsetup"), lock);
}

TEST_F(RegistryConfigTest, ReinstallOverTheSameVersionWithTheFlagSetTouchesNeitherValue) {
  seedVersion(u"5.0");
  seedLockFlag(u"1");
  seedOldPassword();
  run();
  EXPECT_EQ(writes(), entryWrites({2, 5, 6, 7, 8, 9, 10, 11, 12}));
  expectString(reg::kCurrentUser, kLockKey, u"Lockpw", u"old");
  expectString(reg::kCurrentUser, kLockKey, u"Lockpa", u"1");
  expectString(reg::kClassesRoot, u"SMVersions", u"Versions", u"5.0");
  EXPECT_TRUE(view.eventsOf(Kind::MessageBox).empty());
}

TEST_F(RegistryConfigTest, AnEmptyFlagOverTheSameVersionResetsAndNotifiesOnce) {
  seedVersion(u"5.0");
  seedLockFlag(u"");
  seedOldPassword();
  run();
  EXPECT_EQ(writes(), entryWrites({2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_TRUE(passwordWasReset());
  expectString(reg::kCurrentUser, kLockKey, u"Lockpa", u"1");
  const auto boxes = view.eventsOf(Kind::MessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"由于版本发生变化，请重新设置系统锁定密码...");
  EXPECT_EQ(view.boxCaptions, std::vector<std::u16string>{u"Velkor & 提示"});
  EXPECT_EQ(boxes[0].a, 0x40);
  // After both lock-password writes, before the status line.
  const std::ptrdiff_t notice = indexOf(u"messageBox 由于版本发生变化，请重新设置系统锁定密码...");
  ASSERT_GE(notice, 0);
  EXPECT_EQ(lastSetBefore(notice), u"Set HKCU\\Software\\Velkorsetup Lockpa");
  EXPECT_EQ(line(notice + 1), u"setText 1012 写入注册表...");
}

TEST_F(RegistryConfigTest, AFlagStoredWithoutAnyBytesCountsAsEmpty) {
  seedVersion(u"5.0");
  fake.putValue(reg::kCurrentUser, kLockKey, u"Lockpa", reg::kSz, {});
  run();
  EXPECT_TRUE(passwordWasReset());
  EXPECT_EQ(view.eventsOf(Kind::MessageBox).size(), 1u);
}

TEST_F(RegistryConfigTest, AnUpgradeFromAnotherMarkerRewritesItAndResetsSilently) {
  for (const std::u16string old : {u"4.2", u"5.00", u"5.0 ", u"5"}) {
    SCOPED_TRACE(::testing::Message() << "marker of " << old.size() << " units");
    FakeRegistry registry;
    FakeMainWindow window;
    registry.putString(reg::kClassesRoot, u"SMVersions", u"Versions", old);
    registry.putString(reg::kCurrentUser, kLockKey, u"Lockpa", u"1");
    registry.putString(reg::kCurrentUser, kLockKey, u"Lockpw", u"old");
    rc::writeRegistryConfiguration(registry, window, kMachine);
    EXPECT_EQ(registry.valueAt(reg::kClassesRoot, u"SMVersions", u"Versions")->bytes,
              FakeRegistry::bytesOf(u"5.0", true));
    EXPECT_EQ(registry.valueAt(reg::kCurrentUser, kLockKey, u"Lockpw")->bytes,
              FakeRegistry::bytesOf(rc::encodeLockPassword(kMachine), true));
    EXPECT_EQ(window.events.size(), 1u);  // the status line only: no notice
  }
}

TEST_F(RegistryConfigTest, AFlagOfAnotherTypeIsUnreadableAndResetsSilently) {
  seedVersion(u"5.0");
  fake.putValue(reg::kCurrentUser, kLockKey, u"Lockpa", reg::kDword, {1, 0, 0, 0});
  run();
  EXPECT_EQ(writes(), entryWrites({2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  expectString(reg::kCurrentUser, kLockKey, u"Lockpa", u"1");  // now a string
  EXPECT_TRUE(passwordWasReset());
  EXPECT_TRUE(view.eventsOf(Kind::MessageBox).empty());
}

TEST_F(RegistryConfigTest, AMarkerOfAnotherTypeIsRewritten) {
  fake.putValue(reg::kClassesRoot, u"SMVersions", u"Versions", reg::kBinary,
                FakeRegistry::bytesOf(u"5.0", true));
  seedLockFlag(u"1");
  run();
  expectString(reg::kClassesRoot, u"SMVersions", u"Versions", u"5.0");
  EXPECT_TRUE(passwordWasReset());
}

TEST_F(RegistryConfigTest, AMarkerOf75UnitsOrMoreDoesNotFitAndIsRewritten) {
  seedVersion(std::u16string(75, u'5'));
  seedLockFlag(u"1");
  run();
  expectString(reg::kClassesRoot, u"SMVersions", u"Versions", u"5.0");
  EXPECT_TRUE(passwordWasReset());
}

TEST_F(RegistryConfigTest, TheMarkerIsReadWithACapacityOf150Bytes) {
  // "5.0", a terminator, then padding: 150 bytes in all still reads as "5.0".
  const std::u16string fits = std::u16string(u"5.0", 4) + std::u16string(70, u'x');
  ASSERT_EQ(fits.size() + 1, 75u);
  seedVersion(fits);
  seedLockFlag(u"1");
  seedOldPassword();
  run();
  EXPECT_EQ(writes(), entryWrites({2, 5, 6, 7, 8, 9, 10, 11, 12}));

  // Two bytes more and the read fails: the marker is rewritten, the password reset.
  FakeRegistry registry;
  FakeMainWindow window;
  registry.putString(reg::kClassesRoot, u"SMVersions", u"Versions", fits + u'x');
  registry.putString(reg::kCurrentUser, kLockKey, u"Lockpa", u"1");
  rc::writeRegistryConfiguration(registry, window, kMachine);
  EXPECT_EQ(registry.valueAt(reg::kClassesRoot, u"SMVersions", u"Versions")->bytes,
            FakeRegistry::bytesOf(u"5.0", true));
  EXPECT_TRUE(registry.valueAt(reg::kCurrentUser, kLockKey, u"Lockpw").has_value());
}

TEST_F(RegistryConfigTest, TheFlagIsReadFromItsOwnKeyOnly) {
  // A "Lockpa" under the key written just before must not stand in for a
  // missing HKCU\Software\Velkorsetup.
  seedVersion(u"5.0");
  fake.putString(reg::kClassesRoot, u"VKA 加密档案\\defaultIcon", u"Lockpa", u"1");
  run();
  EXPECT_TRUE(passwordWasReset());
}

TEST_F(RegistryConfigTest, TheLockPasswordDependsOnTheMachineNumberOnly) {
  FakeRegistry a, b, c;
  FakeMainWindow va, vb, vc;
  rc::writeRegistryConfiguration(a, va, -1);
  rc::writeRegistryConfiguration(b, vb, -1);
  rc::writeRegistryConfiguration(c, vc, 8);
  const auto pa = a.valueAt(reg::kCurrentUser, kLockKey, u"Lockpw");
  const auto pb = b.valueAt(reg::kCurrentUser, kLockKey, u"Lockpw");
  const auto pc = c.valueAt(reg::kCurrentUser, kLockKey, u"Lockpw");
  ASSERT_TRUE(pa && pb && pc);
  EXPECT_EQ(pa->bytes.size(), 66u);  // 32 units and the terminator
  EXPECT_EQ(pa->bytes, pb->bytes);
  EXPECT_NE(pa->bytes, pc->bytes);
}

TEST_F(RegistryConfigTest, AFailedWriteIsSkippedAndTheNextOneRuns) {
  fake.failCalls(Op::Set, reg::kAccessDenied, u"HKCR\\.vka");
  fake.failCalls(Op::Create, reg::kAccessDenied, u"HKCU\\Software\\Velkorsetup");
  run();
  EXPECT_EQ(writes(), entryWrites({1, 2, 5, 6, 8, 9, 10, 11, 12}));
  EXPECT_FALSE(fake.valueAt(reg::kClassesRoot, u".vka", nullptr).has_value());
  EXPECT_EQ(view.textsOf(1012).size(), 1u);
  EXPECT_TRUE(view.eventsOf(Kind::MessageBox).empty());
}

TEST_F(RegistryConfigTest, ARegistryThatRefusesEverythingStillEndsQuietly) {
  for (Op op : {Op::Open, Op::Create, Op::Query, Op::Set}) fake.failCalls(op, reg::kAccessDenied);
  run();
  EXPECT_TRUE(writes().empty());
  EXPECT_TRUE(fake.leafKeys(reg::kClassesRoot).empty());
  EXPECT_EQ(view.textsOf(1012).size(), 1u);
  EXPECT_TRUE(view.eventsOf(Kind::MessageBox).empty());
}

}  // namespace
