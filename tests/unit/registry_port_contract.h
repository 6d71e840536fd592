// What every registry port must do, as the real registry does it. Natively
// these run on FakeRegistry; under Wine on Win32Registry and the real registry,
// so the fake cannot drift from the system it stands in for.
//
// An Env type provides: reg::RegistryPort& port(); reg::RegKey root();
// std::u16string base() (a key path under root that is free to use and is not
// shared with any other test).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/registry_port.h"

namespace velkor::contract {

inline std::vector<std::uint8_t> utf16Bytes(std::u16string_view text) {
  std::vector<std::uint8_t> bytes(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
  }
  return bytes;
}

template <class Env>
class RegistryPortContract : public ::testing::Test {
 protected:
  reg::RegistryPort& port() { return env_.port(); }
  reg::RegKey root() { return env_.root(); }
  std::u16string path(std::u16string_view sub = {}) {
    std::u16string p = env_.base();
    if (!sub.empty()) p.append(u"\\").append(sub);
    return p;
  }

  // A key under the base, created with read and write access; the test fails
  // at once when it cannot be made.
  reg::RegKey made(std::u16string_view sub, std::uint32_t* disposition = nullptr) {
    reg::RegKey key{};
    std::uint32_t outcome = 0;
    const reg::Status status = port().createKey(root(), path(sub).c_str(), nullptr,
                                                reg::kOptionNonVolatile, reg::kKeyReadWrite,
                                                &key, &outcome);
    EXPECT_EQ(status, reg::kSuccess);
    if (disposition) *disposition = outcome;
    handles_.push_back(key);
    return key;
  }

  reg::RegKey opened(std::u16string_view sub, std::uint32_t access) {
    reg::RegKey key{};
    EXPECT_EQ(port().openKey(root(), path(sub).c_str(), access, &key), reg::kSuccess);
    handles_.push_back(key);
    return key;
  }

  reg::Status set(reg::RegKey key, const char16_t* name, std::uint32_t type,
                  const std::vector<std::uint8_t>& bytes) {
    return port().setValue(key, name, type, bytes.empty() ? nullptr : bytes.data(),
                           static_cast<std::uint32_t>(bytes.size()));
  }

  // Reads a whole value: its type and bytes, after asking for its size.
  std::vector<std::uint8_t> read(reg::RegKey key, const char16_t* name, std::uint32_t* type) {
    std::uint32_t size = 0;
    EXPECT_EQ(port().queryValue(key, name, type, nullptr, &size), reg::kSuccess);
    std::vector<std::uint8_t> bytes(size + 16, 0xEE);
    std::uint32_t count = size + 16;
    EXPECT_EQ(port().queryValue(key, name, type, bytes.data(), &count), reg::kSuccess);
    EXPECT_EQ(count, size);
    bytes.resize(count);
    return bytes;
  }

  void TearDown() override {
    for (reg::RegKey key : handles_) port().closeKey(key);
  }

  Env env_;
  std::vector<reg::RegKey> handles_;
};

TYPED_TEST_SUITE_P(RegistryPortContract);

TYPED_TEST_P(RegistryPortContract, OpenOfAMissingKeyIsFileNotFound) {
  this->made(u"present");
  reg::RegKey key{};
  EXPECT_EQ(this->port().openKey(this->root(), this->path(u"absent").c_str(), reg::kKeyRead, &key),
            reg::kFileNotFound);
  EXPECT_EQ(this->port().openKey(this->root(), this->path(u"present\\absent\\deeper").c_str(),
                                 reg::kKeyRead, &key),
            reg::kFileNotFound);
}

TYPED_TEST_P(RegistryPortContract, CreateMakesEveryKeyAlongThePathAndTellsWhich) {
  std::uint32_t disposition = 0;
  this->made(u"a\\b\\c", &disposition);
  EXPECT_EQ(disposition, reg::kCreatedNewKey);
  this->opened(u"a", reg::kKeyRead);
  this->opened(u"a\\b", reg::kKeyRead);
  this->made(u"a\\b\\c", &disposition);
  EXPECT_EQ(disposition, reg::kOpenedExistingKey);
  this->made(u"a\\b", &disposition);
  EXPECT_EQ(disposition, reg::kOpenedExistingKey);
}

TYPED_TEST_P(RegistryPortContract, StringValuesKeepTypeAndBytes) {
  const reg::RegKey key = this->made(u"k");
  const auto bytes = utf16Bytes(std::u16string(u"5.0", 4));  // with terminator: 8 bytes
  ASSERT_EQ(this->set(key, u"Versions", reg::kSz, bytes), reg::kSuccess);
  ASSERT_EQ(this->set(key, u"Expand", reg::kExpandSz, bytes), reg::kSuccess);
  std::uint32_t type = 0;
  EXPECT_EQ(this->read(key, u"Versions", &type), bytes);
  EXPECT_EQ(type, reg::kSz);
  EXPECT_EQ(this->read(key, u"Expand", &type), bytes);
  EXPECT_EQ(type, reg::kExpandSz);
}

TYPED_TEST_P(RegistryPortContract, OtherTypesKeepTheirBytes) {
  const reg::RegKey key = this->made(u"k");
  const std::vector<std::uint8_t> dword = {1, 0, 0, 0};
  const std::vector<std::uint8_t> binary = {0x41, 0x00, 0x42};
  ASSERT_EQ(this->set(key, u"Lockpa", reg::kDword, dword), reg::kSuccess);
  ASSERT_EQ(this->set(key, u"Blob", reg::kBinary, binary), reg::kSuccess);
  std::uint32_t type = 0;
  EXPECT_EQ(this->read(key, u"Lockpa", &type), dword);
  EXPECT_EQ(type, reg::kDword);
  EXPECT_EQ(this->read(key, u"Blob", &type), binary);
  EXPECT_EQ(type, reg::kBinary);
}

TYPED_TEST_P(RegistryPortContract, StringsWithoutTerminatorAreStoredAsGiven) {
  const reg::RegKey key = this->made(u"k");
  // "abc" of "abcd": the unit after the counted ones is not 0, so nothing is added.
  const char16_t text[] = u"abcd";
  const auto* raw = reinterpret_cast<const std::uint8_t*>(text);
  ASSERT_EQ(this->port().setValue(key, u"Even", reg::kSz, raw, 6), reg::kSuccess);
  ASSERT_EQ(this->port().setValue(key, u"Odd", reg::kSz, raw, 7), reg::kSuccess);
  std::uint32_t type = 0;
  EXPECT_EQ(this->read(key, u"Even", &type), utf16Bytes(u"abc"));
  EXPECT_EQ(type, reg::kSz);
  const auto odd = this->read(key, u"Odd", &type);
  EXPECT_EQ(odd, std::vector<std::uint8_t>(raw, raw + 7));
}

TYPED_TEST_P(RegistryPortContract, AStringCountThatLeavesOutAFollowingTerminatorGetsIt) {
  const reg::RegKey key = this->made(u"k");
  const char16_t text[] = u"5.0";
  ASSERT_EQ(this->port().setValue(key, u"Versions", reg::kSz,
                                  reinterpret_cast<const std::uint8_t*>(text), 6),
            reg::kSuccess);
  std::uint32_t type = 0;
  EXPECT_EQ(this->read(key, u"Versions", &type), utf16Bytes(std::u16string(u"5.0", 4)));
}

TYPED_TEST_P(RegistryPortContract, ASmallBufferGivesMoreDataAndTheSizeNeeded) {
  const reg::RegKey key = this->made(u"k");
  const auto bytes = utf16Bytes(std::u16string(99, u'x') + u'\0');  // 200 bytes
  ASSERT_EQ(this->set(key, u"Long", reg::kSz, bytes), reg::kSuccess);
  std::vector<std::uint8_t> buffer(150);
  std::uint32_t count = 150;
  std::uint32_t type = 0;
  EXPECT_EQ(this->port().queryValue(key, u"Long", &type, buffer.data(), &count), reg::kMoreData);
  EXPECT_EQ(count, 200u);
  EXPECT_EQ(type, reg::kSz);
  // Without a buffer the call only reports the size.
  count = 0;
  EXPECT_EQ(this->port().queryValue(key, u"Long", nullptr, nullptr, &count), reg::kSuccess);
  EXPECT_EQ(count, 200u);
  // An exact fit succeeds.
  buffer.resize(200);
  count = 200;
  EXPECT_EQ(this->port().queryValue(key, u"Long", &type, buffer.data(), &count), reg::kSuccess);
  EXPECT_EQ(buffer, bytes);
}

TYPED_TEST_P(RegistryPortContract, AMissingValueLeavesCountAndTypeAlone) {
  const reg::RegKey key = this->made(u"k");
  std::vector<std::uint8_t> buffer(150, 0xEE);
  std::uint32_t count = 150;
  std::uint32_t type = 0xABCD;
  EXPECT_EQ(this->port().queryValue(key, u"Versions", &type, buffer.data(), &count),
            reg::kFileNotFound);
  EXPECT_EQ(count, 150u);
  EXPECT_EQ(type, 0xABCDu);
  EXPECT_EQ(buffer, std::vector<std::uint8_t>(150, 0xEE));
}

TYPED_TEST_P(RegistryPortContract, NullAndEmptyNamesAreTheDefaultValue) {
  const reg::RegKey key = this->made(u"k");
  const auto bytes = utf16Bytes(std::u16string(u"VKA", 4));
  ASSERT_EQ(this->set(key, nullptr, reg::kSz, bytes), reg::kSuccess);
  std::uint32_t type = 0;
  EXPECT_EQ(this->read(key, u"", &type), bytes);
  EXPECT_EQ(this->read(key, nullptr, &type), bytes);
}

TYPED_TEST_P(RegistryPortContract, AnEmptyValueHasNoBytes) {
  const reg::RegKey key = this->made(u"k");
  ASSERT_EQ(this->port().setValue(key, u"Lockpa", reg::kSz, nullptr, 0), reg::kSuccess);
  std::uint8_t buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  std::uint32_t count = sizeof buffer;
  std::uint32_t type = 0;
  EXPECT_EQ(this->port().queryValue(key, u"Lockpa", &type, buffer, &count), reg::kSuccess);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(type, reg::kSz);
}

TYPED_TEST_P(RegistryPortContract, KeyAndValueNamesIgnoreCase) {
  const reg::RegKey key = this->made(u"Software\\Velkorsetup");
  ASSERT_EQ(this->set(key, u"Lockpa", reg::kSz, utf16Bytes(std::u16string(u"1", 2))),
            reg::kSuccess);
  const reg::RegKey again = this->opened(u"SOFTWARE\\velkorSETUP", reg::kKeyRead);
  std::uint32_t type = 0;
  EXPECT_EQ(this->read(again, u"LOCKPA", &type), utf16Bytes(std::u16string(u"1", 2)));
}

TYPED_TEST_P(RegistryPortContract, ChineseKeyNamesAndTextsRoundTrip) {
  const reg::RegKey key = this->made(u"VKA 加密档案\\shell\\Velkor超级粉碎\\command");
  const auto bytes = utf16Bytes(std::u16string(u"VKA 加密档案", 9));
  ASSERT_EQ(this->set(key, nullptr, reg::kSz, bytes), reg::kSuccess);
  const reg::RegKey again =
      this->opened(u"VKA 加密档案\\shell\\Velkor超级粉碎\\command", reg::kKeyRead);
  std::uint32_t type = 0;
  EXPECT_EQ(this->read(again, nullptr, &type), bytes);
  reg::RegKey other{};
  EXPECT_EQ(this->port().openKey(this->root(), this->path(u"VKA 加密档案\\shell\\Velkor超级文件加密器").c_str(),
                                 reg::kKeyRead, &other),
            reg::kFileNotFound);
}

TYPED_TEST_P(RegistryPortContract, AccessRightsOfTheHandleAreEnforced) {
  this->made(u"k");
  const reg::RegKey writeOnly = this->opened(u"k", reg::kKeyWrite);
  const reg::RegKey readOnly = this->opened(u"k", reg::kKeyRead);
  const auto bytes = utf16Bytes(std::u16string(u"1", 2));
  EXPECT_EQ(this->set(writeOnly, u"Lockpa", reg::kSz, bytes), reg::kSuccess);
  EXPECT_EQ(this->set(readOnly, u"Lockpa", reg::kSz, bytes), reg::kAccessDenied);
  std::uint8_t buffer[16];
  std::uint32_t count = sizeof buffer;
  std::uint32_t type = 0;
  EXPECT_EQ(this->port().queryValue(writeOnly, u"Lockpa", &type, buffer, &count),
            reg::kAccessDenied);
  EXPECT_EQ(this->port().queryValue(readOnly, u"Lockpa", &type, buffer, &count), reg::kSuccess);
}

TYPED_TEST_P(RegistryPortContract, CreatingUnderAReadOnlyHandleIsAllowed) {
  // RegCreateKeyExW checks the key's security, not the rights of the handle.
  this->made(u"k");
  const reg::RegKey readOnly = this->opened(u"k", reg::kKeyRead);
  reg::RegKey child{};
  std::uint32_t disposition = 0;
  ASSERT_EQ(this->port().createKey(readOnly, u"child", nullptr, 0, reg::kKeyReadWrite, &child,
                                   &disposition),
            reg::kSuccess);
  this->handles_.push_back(child);
  EXPECT_EQ(disposition, reg::kCreatedNewKey);
  this->opened(u"k\\child", reg::kKeyRead);
}

TYPED_TEST_P(RegistryPortContract, DeleteRemovesOnlyKeysWithoutSubkeys) {
  this->made(u"parent\\child");
  for (reg::RegKey key : this->handles_) this->port().closeKey(key);
  this->handles_.clear();
  const std::u16string parent = this->path(u"parent");
  const std::u16string child = this->path(u"parent\\child");
  EXPECT_EQ(this->port().deleteKey(this->root(), parent.c_str()), reg::kAccessDenied);
  this->opened(u"parent", reg::kKeyRead);  // still there
  EXPECT_EQ(this->port().deleteKey(this->root(), child.c_str()), reg::kSuccess);
  EXPECT_EQ(this->port().deleteKey(this->root(), child.c_str()), reg::kFileNotFound);
  EXPECT_EQ(this->port().deleteKey(this->root(), parent.c_str()), reg::kSuccess);
  reg::RegKey key{};
  EXPECT_EQ(this->port().openKey(this->root(), parent.c_str(), reg::kKeyRead, &key),
            reg::kFileNotFound);
}

TYPED_TEST_P(RegistryPortContract, AHandleOfADeletedKeyReportsKeyDeleted) {
  const reg::RegKey key = this->made(u"gone");
  EXPECT_EQ(this->port().deleteKey(this->root(), this->path(u"gone").c_str()), reg::kSuccess);
  std::uint8_t buffer[16];
  std::uint32_t count = sizeof buffer;
  EXPECT_EQ(this->port().queryValue(key, u"x", nullptr, buffer, &count), reg::kKeyDeleted);
  EXPECT_EQ(this->set(key, u"x", reg::kSz, utf16Bytes(std::u16string(u"1", 2))),
            reg::kKeyDeleted);
}

TYPED_TEST_P(RegistryPortContract, BadHandlesAndArguments) {
  std::uint8_t buffer[16];
  std::uint32_t count = sizeof buffer;
  std::uint32_t type = 0;
  EXPECT_EQ(this->port().queryValue(reg::RegKey{}, u"x", &type, buffer, &count),
            reg::kInvalidHandle);
  EXPECT_EQ(count, sizeof buffer);
  EXPECT_EQ(type, 0u);
  EXPECT_EQ(this->port().closeKey(reg::RegKey{}), reg::kInvalidHandle);
  const reg::RegKey key = this->made(u"k");
  EXPECT_EQ(this->port().queryValue(key, u"x", &type, buffer, nullptr), reg::kInvalidParameter);
  // A closed handle is no handle any more.
  this->handles_.clear();
  EXPECT_EQ(this->port().closeKey(key), reg::kSuccess);
  EXPECT_EQ(this->port().closeKey(key), reg::kInvalidHandle);
  // The predefined roots are not closed by RegCloseKey.
  EXPECT_EQ(this->port().closeKey(this->root()), reg::kSuccess);
  this->opened(u"k", reg::kKeyRead);
}

REGISTER_TYPED_TEST_SUITE_P(RegistryPortContract, OpenOfAMissingKeyIsFileNotFound,
                            CreateMakesEveryKeyAlongThePathAndTellsWhich,
                            StringValuesKeepTypeAndBytes, OtherTypesKeepTheirBytes,
                            StringsWithoutTerminatorAreStoredAsGiven,
                            AStringCountThatLeavesOutAFollowingTerminatorGetsIt,
                            ASmallBufferGivesMoreDataAndTheSizeNeeded,
                            AMissingValueLeavesCountAndTypeAlone,
                            NullAndEmptyNamesAreTheDefaultValue, AnEmptyValueHasNoBytes,
                            KeyAndValueNamesIgnoreCase, ChineseKeyNamesAndTextsRoundTrip,
                            AccessRightsOfTheHandleAreEnforced,
                            CreatingUnderAReadOnlyHandleIsAllowed,
                            DeleteRemovesOnlyKeysWithoutSubkeys,
                            AHandleOfADeletedKeyReportsKeyDeleted, BadHandlesAndArguments);

}  // namespace velkor::contract
