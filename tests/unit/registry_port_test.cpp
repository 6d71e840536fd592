// The registry fake against the registry contract, and the fake's own test
// aids (failure switches, call log) that the engine's tests rely on.
#include <gtest/gtest.h>

#include "fakes/fake_registry.h"
#include "unit/registry_port_contract.h"

namespace {

using velkor::fakes::FakeRegistry;
namespace reg = velkor::reg;

struct FakeEnv {
  FakeRegistry fake;
  reg::RegistryPort& port() { return fake; }
  reg::RegKey root() { return reg::kCurrentUser; }
  std::u16string base() { return u"Software\\VelkorContract"; }
};

}  // namespace

namespace velkor::contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, RegistryPortContract, FakeEnv);
}

namespace {

TEST(FakeRegistry, ASwitchedOffCallFailsWithItsStatusAndChangesNothing) {
  FakeRegistry fake;
  fake.failCalls(FakeRegistry::Op::Create, 5, u"HKCR\\SMVersions");
  reg::RegKey key{};
  std::uint32_t disposition = 0;
  EXPECT_EQ(fake.createKey(reg::kClassesRoot, u"smversions", nullptr, 0, reg::kKeyReadWrite, &key,
                           &disposition),
            5);
  EXPECT_FALSE(fake.hasKey(reg::kClassesRoot, u"SMVersions"));
  // Other keys are not affected.
  EXPECT_EQ(fake.createKey(reg::kClassesRoot, u".vka", nullptr, 0, reg::kKeyReadWrite, &key,
                           &disposition),
            0);
  EXPECT_TRUE(fake.hasKey(reg::kClassesRoot, u".vka"));
  fake.clearFailures();
  EXPECT_EQ(fake.createKey(reg::kClassesRoot, u"SMVersions", nullptr, 0, reg::kKeyReadWrite, &key,
                           &disposition),
            0);
}

TEST(FakeRegistry, LogsEveryCallWithItsKeyValueAccessAndStatus) {
  FakeRegistry fake;
  reg::RegKey key{};
  std::uint32_t disposition = 0;
  fake.createKey(reg::kCurrentUser, u"Software\\Velkorsetup", nullptr, 0, reg::kKeyReadWrite, &key,
                 &disposition);
  const char16_t one[] = u"1";
  fake.setValue(key, u"Lockpa", reg::kSz, reinterpret_cast<const std::uint8_t*>(one), 4);
  fake.setValue(key, nullptr, reg::kSz, reinterpret_cast<const std::uint8_t*>(one), 4);
  fake.closeKey(key);
  fake.closeKey(key);
  const auto& calls = fake.calls();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].op, FakeRegistry::Op::Create);
  EXPECT_EQ(calls[0].path, u"HKCU\\Software\\Velkorsetup");
  EXPECT_EQ(calls[0].access, reg::kKeyReadWrite);
  EXPECT_EQ(calls[1].op, FakeRegistry::Op::Set);
  EXPECT_EQ(calls[1].valueName, u"Lockpa");
  EXPECT_EQ(calls[2].valueName, u"");
  EXPECT_EQ(calls[3].status, 0);
  EXPECT_EQ(calls[4].status, reg::kInvalidHandle);
  EXPECT_EQ(fake.openHandles(), 0u);
}

TEST(FakeRegistry, SeedingAndInspectionKeepNamesAsStored) {
  FakeRegistry fake;
  fake.putString(reg::kClassesRoot, u"VKA 加密档案", nullptr, u"VKA 加密档案");
  fake.putValue(reg::kClassesRoot, u"VKA 加密档案\\defaultIcon", u"Extra", reg::kDword, {7, 0, 0, 0});
  EXPECT_EQ(fake.valueAt(reg::kClassesRoot, u"vka 加密档案", nullptr)->bytes,
            FakeRegistry::bytesOf(u"VKA 加密档案", true));
  EXPECT_EQ(fake.valueNames(reg::kClassesRoot, u"VKA 加密档案\\DEFAULTICON"),
            std::vector<std::u16string>{u"Extra"});
  EXPECT_EQ(fake.leafKeys(reg::kClassesRoot),
            std::vector<std::u16string>{u"VKA 加密档案\\defaultIcon"});
  EXPECT_FALSE(fake.valueAt(reg::kClassesRoot, u"VKA 加密档案", u"Extra").has_value());
  EXPECT_TRUE(fake.calls().empty());
}

}  // namespace
