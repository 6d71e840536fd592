// Win32Registry against the real registry: the same contract the fake keeps.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32_registry.h"
#include "unit/registry_port_contract.h"

namespace {

namespace reg = velkor::reg;

// Each test gets a key of its own under HKCU\Software\VelkorContract.
struct Win32Env {
  Win32Env() {
    static int counter = 0;
    const std::string n = std::to_string(++counter);
    base_ = u"Software\\VelkorContract\\" + std::u16string(n.begin(), n.end());
  }
  reg::RegistryPort& port() { return registry_; }
  reg::RegKey root() { return reg::kCurrentUser; }
  std::u16string base() { return base_; }

  velkor::win32::Win32Registry registry_;
  std::u16string base_;
};

HKEY asHkey(reg::RegKey key) { return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key)); }

TEST(Win32Registry, RootsAreThePredefinedKeys) {
  EXPECT_EQ(asHkey(reg::kClassesRoot), HKEY_CLASSES_ROOT);
  EXPECT_EQ(asHkey(reg::kCurrentUser), HKEY_CURRENT_USER);
  EXPECT_EQ(asHkey(reg::kLocalMachine), HKEY_LOCAL_MACHINE);
}

TEST(Win32Registry, NumbersAreTheSystemsOwn) {
  EXPECT_EQ(reg::kMoreData, ERROR_MORE_DATA);
  EXPECT_EQ(reg::kInvalidData, ERROR_INVALID_DATA);
  EXPECT_EQ(reg::kKeyDeleted, ERROR_KEY_DELETED);
  EXPECT_EQ(static_cast<std::uint32_t>(reg::kFail), static_cast<std::uint32_t>(E_FAIL));
  EXPECT_EQ(reg::kKeyRead, static_cast<std::uint32_t>(KEY_READ));
  EXPECT_EQ(reg::kKeyWrite, static_cast<std::uint32_t>(KEY_WRITE));
  EXPECT_EQ(reg::kKeyAllAccess, static_cast<std::uint32_t>(KEY_ALL_ACCESS));
  EXPECT_EQ(reg::kMultiSz, static_cast<std::uint32_t>(REG_MULTI_SZ));
  EXPECT_EQ(reg::kCreatedNewKey, static_cast<std::uint32_t>(REG_CREATED_NEW_KEY));
}

}  // namespace

namespace velkor::contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, RegistryPortContract, Win32Env);
}
