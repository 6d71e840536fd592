// The registry configuration written to the real registry of a Wine prefix
// and read back with the raw registry API.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/registry_config.h"
#include "fakes/fake_main_window.h"
#include "platform/win32_registry.h"
#include "win/registry_raw.h"

namespace {

using velkor::fakes::FakeMainWindow;
using Kind = FakeMainWindow::Kind;

constexpr std::int32_t kMachine = 5;

using velkor::rawreg::get;
using velkor::rawreg::sz;

void rawSetString(HKEY root, const wchar_t* path, const wchar_t* name, const std::wstring& text) {
  ASSERT_EQ(velkor::rawreg::setString(root, path, name, text), ERROR_SUCCESS);
}

// The encoded empty lock password for kMachine, unit by unit.
std::wstring expectedLockPassword() {
  std::wstring text;
  for (int i = 0; i < 32; ++i) text.push_back(static_cast<wchar_t>(0x5A3C + 3 * kMachine + i));
  return text;
}

const wchar_t kEncryptFiles[] = L"*\\shell\\Velkor超级文件加密器\\command";
const wchar_t kShredFiles[] = L"*\\shell\\Velkor超级粉碎\\command";
const wchar_t kEncryptFolders[] = L"Folder\\shell\\Velkor超级文件加密器\\command";
const wchar_t kShredFolders[] = L"Folder\\shell\\Velkor超级粉碎\\command";
const wchar_t kMain[] = L"\"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe\" \"%1\"";
const wchar_t kShred[] = L"\"C:\\Program Files\\VelkorCrypt\\VelkorShredder.exe\" \"%1\"";
const wchar_t kIcon[] = L"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe,3";
const wchar_t kLockKey[] = L"Software\\Velkorsetup";

class RegistryConfigOnWine : public ::testing::Test {
 protected:
  // Every test starts from a machine that never had the product.
  void SetUp() override {
    for (const wchar_t* key : {L"SMVersions", L"VKA 加密档案", L".vka", L"*\\shell\\Velkor超级文件加密器",
                               L"*\\shell\\Velkor超级粉碎", L"Folder\\shell\\Velkor超级文件加密器",
                               L"Folder\\shell\\Velkor超级粉碎"})
      RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
    RegDeleteTreeW(HKEY_CURRENT_USER, kLockKey);
  }

  void run(FakeMainWindow& view) {
    velkor::regconfig::writeRegistryConfiguration(registry_, view, kMachine);
  }

  void expectString(HKEY root, const wchar_t* path, const wchar_t* name,
                    const std::wstring& text) {
    const velkor::rawreg::Value value = get(root, path, name);
    ASSERT_EQ(value.status, ERROR_SUCCESS);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value.bytes, sz(text));
  }

  velkor::win32::Win32Registry registry_;
};

TEST_F(RegistryConfigOnWine, FirstInstallWritesEveryEntry) {
  ASSERT_EQ(get(HKEY_CLASSES_ROOT, L"SMVersions", L"Versions").status, ERROR_FILE_NOT_FOUND);
  FakeMainWindow view;
  run(view);
  expectString(HKEY_CLASSES_ROOT, L"SMVersions", L"Versions", L"5.0");
  expectString(HKEY_CLASSES_ROOT, L"VKA 加密档案\\defaultIcon", nullptr, kIcon);
  expectString(HKEY_CURRENT_USER, kLockKey, L"Lockpw", expectedLockPassword());
  expectString(HKEY_CURRENT_USER, kLockKey, L"Lockpa", L"1");
  expectString(HKEY_CLASSES_ROOT, kEncryptFiles, nullptr, kMain);
  expectString(HKEY_CLASSES_ROOT, kShredFiles, nullptr, kShred);
  expectString(HKEY_CLASSES_ROOT, L".vka", nullptr, L"VKA 加密档案");
  expectString(HKEY_CLASSES_ROOT, L"VKA 加密档案", nullptr, L"VKA 加密档案");
  expectString(HKEY_CLASSES_ROOT, L"VKA 加密档案\\shell\\open\\command", nullptr, kMain);
  expectString(HKEY_CLASSES_ROOT, kEncryptFolders, nullptr, kMain);
  expectString(HKEY_CLASSES_ROOT, kShredFolders, nullptr, kShred);
  // The verb keys carry no value: the shell shows their names.
  EXPECT_EQ(get(HKEY_CLASSES_ROOT, L"*\\shell\\Velkor超级粉碎", nullptr).status,
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(get(HKEY_CLASSES_ROOT, L"Folder\\shell\\Velkor超级文件加密器", nullptr).status,
            ERROR_FILE_NOT_FOUND);
  // HKCR is HKLM\Software\Classes for a writer.
  expectString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.vka", nullptr, L"VKA 加密档案");
  EXPECT_EQ(get(HKEY_CURRENT_USER, kLockKey, L"Lockpw").bytes.size(), 66u);
  EXPECT_TRUE(view.eventsOf(Kind::MessageBox).empty());
  EXPECT_EQ(view.textsOf(1012), std::vector<std::u16string>{u"写入注册表..."});
}

TEST_F(RegistryConfigOnWine, ReinstallOverTheSameVersionKeepsTheLockPassword) {
  FakeMainWindow first;
  run(first);
  rawSetString(HKEY_CURRENT_USER, kLockKey, L"Lockpw", L"set by the user");
  FakeMainWindow again;
  run(again);
  expectString(HKEY_CURRENT_USER, kLockKey, L"Lockpw", L"set by the user");
  expectString(HKEY_CURRENT_USER, kLockKey, L"Lockpa", L"1");
  expectString(HKEY_CLASSES_ROOT, L"SMVersions", L"Versions", L"5.0");
  EXPECT_TRUE(again.eventsOf(Kind::MessageBox).empty());
}

TEST_F(RegistryConfigOnWine, AnEmptyFlagResetsThePasswordWithOneNotice) {
  rawSetString(HKEY_CLASSES_ROOT, L"SMVersions", L"Versions", L"5.0");
  rawSetString(HKEY_CURRENT_USER, kLockKey, L"Lockpa", L"");
  rawSetString(HKEY_CURRENT_USER, kLockKey, L"Lockpw", L"set by the user");
  FakeMainWindow view;
  run(view);
  expectString(HKEY_CURRENT_USER, kLockKey, L"Lockpw", expectedLockPassword());
  expectString(HKEY_CURRENT_USER, kLockKey, L"Lockpa", L"1");
  const auto boxes = view.eventsOf(Kind::MessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"由于版本发生变化，请重新设置系统锁定密码...");
  EXPECT_EQ(view.boxCaptions, std::vector<std::u16string>{u"Velkor & 提示"});
  EXPECT_EQ(boxes[0].a, MB_OK | MB_ICONINFORMATION);
}

TEST_F(RegistryConfigOnWine, AnUpgradeRewritesTheMarkerAndResetsSilently) {
  rawSetString(HKEY_CLASSES_ROOT, L"SMVersions", L"Versions", L"4.2");
  rawSetString(HKEY_CURRENT_USER, kLockKey, L"Lockpa", L"1");
  rawSetString(HKEY_CURRENT_USER, kLockKey, L"Lockpw", L"set by the user");
  FakeMainWindow view;
  run(view);
  expectString(HKEY_CLASSES_ROOT, L"SMVersions", L"Versions", L"5.0");
  expectString(HKEY_CURRENT_USER, kLockKey, L"Lockpw", expectedLockPassword());
  EXPECT_TRUE(view.eventsOf(Kind::MessageBox).empty());
}

TEST_F(RegistryConfigOnWine, AFlagOfAnotherTypeIsUnreadable) {
  rawSetString(HKEY_CLASSES_ROOT, L"SMVersions", L"Versions", L"5.0");
  const DWORD one = 1;
  ASSERT_EQ(velkor::rawreg::set(HKEY_CURRENT_USER, kLockKey, L"Lockpa", REG_DWORD, &one, sizeof one),
            ERROR_SUCCESS);
  FakeMainWindow view;
  run(view);
  expectString(HKEY_CURRENT_USER, kLockKey, L"Lockpa", L"1");
  expectString(HKEY_CURRENT_USER, kLockKey, L"Lockpw", expectedLockPassword());
  EXPECT_TRUE(view.eventsOf(Kind::MessageBox).empty());
}

}  // namespace
