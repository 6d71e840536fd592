// CRegistryKey over the registry fake: what each operation returns, holds and
// writes, and which diagnostics it raises.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/registry_key.h"
#include "engine/trace.h"
#include "fakes/fake_registry.h"

namespace {

using velkor::CRegistryKey;
using velkor::fakes::FakeRegistry;
namespace reg = velkor::reg;
using Op = FakeRegistry::Op;

// Records the diagnostics raised while it lives.
class TraceCapture {
 public:
  TraceCapture()
      : previous_(velkor::trace::setSink([this](std::u16string_view text) {
          texts_.emplace_back(text);
        })) {}
  ~TraceCapture() { velkor::trace::setSink(previous_); }
  const std::vector<std::u16string>& texts() const { return texts_; }

 private:
  std::vector<std::u16string> texts_;
  velkor::trace::Sink previous_;
};

constexpr char16_t kKey[] = u"Software\\Velkorsetup";

class RegistryKeyTest : public ::testing::Test {
 protected:
  // A buffer filled with 'X', so that an emptied buffer is visible.
  static constexpr std::size_t kUnits = 260;
  std::u16string buffer = std::u16string(kUnits, u'X');

  // Reads valueName of kKey with the given capacity in bytes.
  reg::Status query(const char16_t* valueName, std::uint32_t capacity = 150,
                    std::uint32_t* countOut = nullptr) {
    CRegistryKey key(fake);
    key.Open(reg::kCurrentUser, kKey, reg::kKeyAllAccess);
    std::uint32_t count = capacity;
    const reg::Status status = key.QueryString(buffer.data(), valueName, &count);
    if (countOut) *countOut = count;
    return status;
  }
  void put(const char16_t* name, std::uint32_t type, std::vector<std::uint8_t> bytes) {
    fake.putValue(reg::kCurrentUser, kKey, name, type, std::move(bytes));
  }
  static std::vector<std::uint8_t> bytes(std::u16string_view text, bool terminated = true) {
    return FakeRegistry::bytesOf(text, terminated);
  }
  bool emptied() const { return buffer[0] == u'\0'; }
  std::u16string text() const { return buffer.substr(0, buffer.find(u'\0')); }

  FakeRegistry fake;
  TraceCapture trace;
};

// ---- QueryString ----

TEST_F(RegistryKeyTest, QueryStringReadsATerminatedString) {
  put(u"Versions", reg::kSz, bytes(u"5.0"));
  std::uint32_t count = 0;
  EXPECT_EQ(query(u"Versions", 150, &count), 0);
  EXPECT_EQ(text(), u"5.0");
  EXPECT_EQ(count, 8u);
  EXPECT_TRUE(trace.texts().empty());
}

TEST_F(RegistryKeyTest, QueryStringOnAKeyThatDoesNotExistIsInvalidDataAndEmpty) {
  std::uint32_t count = 0;
  EXPECT_EQ(query(u"Versions", 150, &count), reg::kInvalidData);
  EXPECT_TRUE(emptied());
  EXPECT_EQ(count, 150u);  // the failed call left it alone
}

TEST_F(RegistryKeyTest, QueryStringOfAMissingValueIsInvalidDataAndEmpty) {
  put(u"Other", reg::kSz, bytes(u"1"));
  EXPECT_EQ(query(u"Versions"), reg::kInvalidData);
  EXPECT_TRUE(emptied());
}

TEST_F(RegistryKeyTest, QueryStringRefusesAStringWithoutTerminator) {
  put(u"Versions", reg::kSz, bytes(u"5.0", false));
  std::uint32_t count = 0;
  EXPECT_EQ(query(u"Versions", 150, &count), reg::kInvalidData);
  EXPECT_TRUE(emptied());
  EXPECT_EQ(count, 6u);  // the registry call itself succeeded
}

TEST_F(RegistryKeyTest, QueryStringRefusesAnOddByteCount) {
  auto data = bytes(u"5.0");  // terminator, then one stray byte
  data.push_back(0);
  put(u"Versions", reg::kSz, data);
  EXPECT_EQ(query(u"Versions"), reg::kInvalidData);
  EXPECT_TRUE(emptied());
  put(u"Expanded", reg::kExpandSz, {'5', 0, 0});
  EXPECT_EQ(query(u"Expanded"), reg::kInvalidData);
  EXPECT_TRUE(emptied());
}

TEST_F(RegistryKeyTest, QueryStringOfA200ByteStringWithA150ByteCapacityIsMoreDataAndEmpty) {
  put(u"Versions", reg::kSz, bytes(std::u16string(99, u'7')));  // 200 bytes
  std::uint32_t count = 0;
  EXPECT_EQ(query(u"Versions", 150, &count), reg::kMoreData);
  EXPECT_TRUE(emptied());
  EXPECT_EQ(count, 200u);
  // Nothing past the capacity was touched.
  EXPECT_EQ(buffer.substr(1), std::u16string(kUnits - 1, u'X'));
}

TEST_F(RegistryKeyTest, QueryStringCapacityBoundaryIs75UnitsWithTerminator) {
  put(u"Fits", reg::kSz, bytes(std::u16string(74, u'a')));   // 150 bytes
  put(u"Over", reg::kSz, bytes(std::u16string(75, u'a')));   // 152 bytes
  EXPECT_EQ(query(u"Fits"), 0);
  EXPECT_EQ(text(), std::u16string(74, u'a'));
  EXPECT_EQ(query(u"Over"), reg::kMoreData);
  EXPECT_TRUE(emptied());
}

TEST_F(RegistryKeyTest, QueryStringRefusesNonStringTypesWithADiagnostic) {
  put(u"Lockpa", reg::kDword, {1, 0, 0, 0});
  put(u"Blob", reg::kBinary, bytes(u"1"));  // looks like a string, is not one
  put(u"None", reg::kNone, bytes(u"1"));
  const char16_t* const names[] = {u"Lockpa", u"Blob", u"None"};
  for (const char16_t* const& name : names) {
    SCOPED_TRACE(::testing::Message() << "value #" << (&name - names));
    buffer.assign(kUnits, u'X');
    EXPECT_EQ(query(name), reg::kInvalidData);
    EXPECT_TRUE(emptied());
  }
  const std::u16string diagnostic =
      u"(lRes!=0L) || (dwType == ( 1 )) || (dwType == ( 7 )) || (dwType == ( 2 ))";
  EXPECT_EQ(trace.texts(), std::vector<std::u16string>(3, diagnostic));
}

TEST_F(RegistryKeyTest, QueryStringAcceptsExpandAndMultiStrings) {
  put(u"Path", reg::kExpandSz, bytes(u"%SystemRoot%"));
  EXPECT_EQ(query(u"Path"), 0);
  EXPECT_EQ(text(), u"%SystemRoot%");
  put(u"List", reg::kMultiSz, bytes(std::u16string(u"a\0b\0", 4)));  // "a", "b", end
  EXPECT_EQ(query(u"List"), 0);
  EXPECT_EQ(text(), u"a");
  put(u"Empty", reg::kMultiSz, bytes(u""));  // a single terminator: one unit
  EXPECT_EQ(query(u"Empty"), 0);
  EXPECT_TRUE(trace.texts().empty());
}

TEST_F(RegistryKeyTest, QueryStringWantsTheDoubleTerminatorOfAMultiString) {
  put(u"Single", reg::kMultiSz, bytes(u"ab"));  // "ab\0": the unit before the last is 'b'
  EXPECT_EQ(query(u"Single"), reg::kInvalidData);
  EXPECT_TRUE(emptied());
  put(u"Short", reg::kMultiSz, bytes(u"a"));  // "a\0": two units, the first not 0
  EXPECT_EQ(query(u"Short"), reg::kInvalidData);
  put(u"Unended", reg::kMultiSz, bytes(std::u16string(u"a\0b", 3), false));
  EXPECT_EQ(query(u"Unended"), reg::kInvalidData);
  put(u"Odd", reg::kMultiSz, {'a', 0, 0, 0, 0});
  EXPECT_EQ(query(u"Odd"), reg::kInvalidData);
}

TEST_F(RegistryKeyTest, QueryStringWithoutBufferReportsTheSizeOnly) {
  put(u"Versions", reg::kSz, bytes(u"5.0"));
  put(u"Lockpa", reg::kDword, {1, 0, 0, 0});
  CRegistryKey key(fake);
  key.Open(reg::kCurrentUser, kKey, reg::kKeyAllAccess);
  std::uint32_t count = 0;
  EXPECT_EQ(key.QueryString(nullptr, u"Versions", &count), 0);
  EXPECT_EQ(count, 8u);
  count = 0;
  EXPECT_EQ(key.QueryString(nullptr, u"Lockpa", &count), 0);  // the status of the call as is
  EXPECT_EQ(count, 4u);
  count = 0;
  EXPECT_EQ(key.QueryString(nullptr, u"Missing", &count), reg::kFileNotFound);
  EXPECT_EQ(count, 0u);
}

TEST_F(RegistryKeyTest, QueryStringOfTheDefaultValue) {
  fake.putString(reg::kCurrentUser, kKey, nullptr, u"VKA 加密档案");
  EXPECT_EQ(query(nullptr), 0);
  EXPECT_EQ(text(), u"VKA 加密档案");
}

TEST_F(RegistryKeyTest, QueryStringOfAnEmptyValueSucceedsEmpty) {
  put(u"Lockpa", reg::kSz, {});  // no bytes at all
  std::uint32_t count = 0;
  EXPECT_EQ(query(u"Lockpa", 150, &count), 0);
  EXPECT_TRUE(emptied());
  EXPECT_EQ(count, 0u);
  put(u"Lockpa", reg::kSz, bytes(u""));  // only the terminator
  EXPECT_EQ(query(u"Lockpa"), 0);
  EXPECT_TRUE(emptied());
}

TEST_F(RegistryKeyTest, QueryStringWithoutByteCountFailsWithoutAsking) {
  put(u"Versions", reg::kSz, bytes(u"5.0"));
  CRegistryKey key(fake);
  key.Open(reg::kCurrentUser, kKey, reg::kKeyAllAccess);
  fake.clearCalls();
  EXPECT_EQ(key.QueryString(buffer.data(), u"Versions", nullptr), reg::kFail);
  EXPECT_TRUE(fake.calls().empty());
  EXPECT_EQ(trace.texts(), std::vector<std::u16string>{u"__atl_condVal"});
}

TEST_F(RegistryKeyTest, QueryStringNeverWritesIntoABufferTooSmallForOneUnit) {
  put(u"Versions", reg::kSz, bytes(u"5.0"));
  EXPECT_EQ(query(u"Versions", 0), reg::kMoreData);
  EXPECT_EQ(buffer[0], u'X');
  EXPECT_EQ(query(u"Versions", 1), reg::kMoreData);
  EXPECT_EQ(buffer[0], u'X');
}

TEST_F(RegistryKeyTest, QueryStringStaysInsideTheBufferForAnyStoredBytes) {
  // Every type, every length up to 12 bytes (zeros and non-zeros mixed) and
  // every capacity up to 14: a success is a terminated text inside the count,
  // a failure leaves the empty string, and nothing past the capacity changes.
  CRegistryKey key(fake);
  fake.putKey(reg::kCurrentUser, kKey);
  key.Open(reg::kCurrentUser, kKey, reg::kKeyAllAccess);
  for (std::uint32_t type = 0; type <= 8; ++type)
    for (std::size_t length = 0; length <= 12; ++length)
      for (unsigned pattern = 0; pattern < 4; ++pattern) {
        std::vector<std::uint8_t> data(length);
        for (std::size_t i = 0; i < length; ++i)
          data[i] = ((i / 2 + pattern) % 3 == 0) ? 0 : static_cast<std::uint8_t>('a' + i);
        put(u"v", type, data);
        for (std::uint32_t capacity = 0; capacity <= 14; ++capacity) {
          SCOPED_TRACE(::testing::Message() << "type " << type << ", " << length << " bytes, pattern "
                                            << pattern << ", capacity " << capacity);
          std::u16string area(16, u'X');
          std::uint32_t count = capacity;
          const reg::Status status = key.QueryString(area.data(), u"v", &count);
          for (std::size_t unit = (capacity + 1) / 2; unit < area.size(); ++unit)
            ASSERT_EQ(area[unit], u'X') << "unit " << unit;
          if (status == 0 && count > 0) {
            ASSERT_TRUE(type == reg::kSz || type == reg::kExpandSz || type == reg::kMultiSz);
            ASSERT_LE(count, capacity);
            ASSERT_EQ(area[count / 2 - 1], u'\0');
          } else if (status != 0 && capacity >= 2) {
            ASSERT_EQ(area[0], u'\0');
          }
        }
      }
}

// ---- Open, Create, Close ----

TEST_F(RegistryKeyTest, AFailedOpenKeepsTheHeldKeyUsable) {
  put(u"Versions", reg::kSz, bytes(u"5.0"));
  CRegistryKey key(fake);
  ASSERT_EQ(key.Open(reg::kCurrentUser, kKey, reg::kKeyAllAccess), 0);
  const reg::RegKey held = key.heldKey();
  EXPECT_EQ(key.Open(reg::kClassesRoot, u"SMVersions", reg::kKeyAllAccess), reg::kFileNotFound);
  EXPECT_EQ(key.heldKey(), held);
  std::uint32_t count = 150;
  EXPECT_EQ(key.QueryString(buffer.data(), u"Versions", &count), 0);
  EXPECT_EQ(text(), u"5.0");
  EXPECT_EQ(fake.openHandles(), 1u);
}

TEST_F(RegistryKeyTest, OpenAndCreateReplaceTheHeldKey) {
  fake.putKey(reg::kCurrentUser, kKey);
  CRegistryKey key(fake);
  ASSERT_EQ(key.Open(reg::kCurrentUser, kKey, reg::kKeyWrite), 0);
  ASSERT_EQ(key.Open(reg::kCurrentUser, kKey, reg::kKeyRead), 0);
  EXPECT_EQ(fake.openHandles(), 1u);
  std::uint32_t disposition = 0;
  ASSERT_EQ(key.Create(reg::kClassesRoot, u"VKA 加密档案\\defaultIcon", nullptr, 0,
                       reg::kKeyReadWrite, &disposition),
            0);
  EXPECT_EQ(disposition, reg::kCreatedNewKey);
  EXPECT_EQ(fake.openHandles(), 1u);
  EXPECT_TRUE(fake.hasKey(reg::kClassesRoot, u"VKA 加密档案"));
  EXPECT_EQ(key.Close(), 0);
  EXPECT_EQ(key.heldKey(), reg::RegKey{});
  EXPECT_EQ(fake.openHandles(), 0u);
  EXPECT_EQ(key.Close(), 0);  // nothing held
}

TEST_F(RegistryKeyTest, CreateDefaultsToReadWriteAccessAndReportsItsFailure) {
  CRegistryKey key(fake);
  EXPECT_EQ(key.Create(reg::kCurrentUser, kKey), 0);
  ASSERT_FALSE(fake.calls().empty());
  EXPECT_EQ(fake.calls().back().op, Op::Create);
  EXPECT_EQ(fake.calls().back().access, 0x2001Fu);
  const reg::RegKey held = key.heldKey();
  fake.failCalls(Op::Create, reg::kAccessDenied);
  std::uint32_t disposition = 77;
  EXPECT_EQ(key.Create(reg::kClassesRoot, u"SMVersions", nullptr, 0, reg::kKeyReadWrite,
                       &disposition),
            reg::kAccessDenied);
  EXPECT_EQ(disposition, 77u);
  EXPECT_EQ(key.heldKey(), held);
}

TEST_F(RegistryKeyTest, AFailedCloseOfTheHeldKeyIsReportedAndTheNewKeyHeld) {
  fake.putKey(reg::kCurrentUser, kKey);
  fake.putKey(reg::kClassesRoot, u"SMVersions");
  CRegistryKey key(fake);
  ASSERT_EQ(key.Open(reg::kCurrentUser, kKey, reg::kKeyAllAccess), 0);
  fake.failCalls(Op::Close, reg::kInvalidHandle, u"HKCU\\Software\\Velkorsetup");
  EXPECT_EQ(key.Open(reg::kClassesRoot, u"SMVersions", reg::kKeyAllAccess), reg::kInvalidHandle);
  EXPECT_EQ(trace.texts(), std::vector<std::u16string>{u"lRes == 0L"});
  ASSERT_NE(key.heldKey(), reg::RegKey{});
  EXPECT_EQ(fake.calls().back().path, u"HKCU\\Software\\Velkorsetup");
  EXPECT_EQ(key.SetString(u"Versions", u"5.0"), 0);
  EXPECT_TRUE(fake.valueAt(reg::kClassesRoot, u"SMVersions", u"Versions").has_value());
}

TEST_F(RegistryKeyTest, ANullParentIsReportedAndPassedOn) {
  CRegistryKey key(fake);
  EXPECT_EQ(key.Open(reg::RegKey{}, kKey, reg::kKeyRead), reg::kInvalidHandle);
  EXPECT_EQ(key.Create(reg::RegKey{}, kKey), reg::kInvalidHandle);
  EXPECT_EQ(trace.texts(), std::vector<std::u16string>(2, u"hKeyParent != 0"));
}

TEST_F(RegistryKeyTest, DestroyingTheObjectClosesItsKey) {
  {
    CRegistryKey key(fake);
    key.Create(reg::kCurrentUser, kKey);
    EXPECT_EQ(fake.openHandles(), 1u);
  }
  EXPECT_EQ(fake.openHandles(), 0u);
  EXPECT_EQ(fake.calls().back().op, Op::Close);
}

// ---- SetString, WriteString ----

TEST_F(RegistryKeyTest, SetStringStoresTheTerminator) {
  CRegistryKey key(fake);
  key.Create(reg::kClassesRoot, u"SMVersions");
  EXPECT_EQ(key.SetString(u"Versions", u"5.0"), 0);
  const auto stored = fake.valueAt(reg::kClassesRoot, u"SMVersions", u"Versions");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->type, reg::kSz);
  EXPECT_EQ(stored->bytes, (std::vector<std::uint8_t>{'5', 0, '.', 0, '0', 0, 0, 0}));
  EXPECT_EQ(key.SetString(nullptr, u"", reg::kExpandSz), 0);
  const auto empty = fake.valueAt(reg::kClassesRoot, u"SMVersions", nullptr);
  EXPECT_EQ(empty->type, reg::kExpandSz);
  EXPECT_EQ(empty->bytes, (std::vector<std::uint8_t>{0, 0}));
  EXPECT_TRUE(trace.texts().empty());
}

TEST_F(RegistryKeyTest, SetStringRefusesANullTextAndWritesNothing) {
  CRegistryKey key(fake);
  key.Create(reg::kClassesRoot, u"SMVersions");
  fake.clearCalls();
  EXPECT_EQ(key.SetString(u"Versions", nullptr), reg::kInvalidData);
  EXPECT_TRUE(fake.calls().empty());
  EXPECT_EQ(trace.texts(), std::vector<std::u16string>{u"__atl_condVal"});
}

TEST_F(RegistryKeyTest, SetStringReportsMisuseAndGoesOn) {
  CRegistryKey key(fake);
  EXPECT_EQ(key.SetString(u"Versions", u"5.0"), reg::kInvalidHandle);
  key.Create(reg::kClassesRoot, u"SMVersions");
  EXPECT_EQ(key.SetString(u"Versions", u"5.0", reg::kMultiSz), 0);
  EXPECT_EQ(fake.valueAt(reg::kClassesRoot, u"SMVersions", u"Versions")->type, reg::kMultiSz);
  EXPECT_EQ(trace.texts(), (std::vector<std::u16string>{
                               u"m_hKey != 0", u"(dwType == ( 1 )) || (dwType == ( 2 ))"}));
}

TEST_F(RegistryKeyTest, SetStringThroughAReadOnlyKeyReturnsTheRegistryStatus) {
  fake.putKey(reg::kClassesRoot, u"SMVersions");
  CRegistryKey key(fake);
  key.Open(reg::kClassesRoot, u"SMVersions", reg::kKeyRead);
  EXPECT_EQ(key.SetString(u"Versions", u"5.0"), reg::kAccessDenied);
}

TEST_F(RegistryKeyTest, WriteStringCreatesMissingKeysAndSetsTheDefaultValue) {
  EXPECT_EQ(CRegistryKey::WriteString(fake, reg::kClassesRoot,
                                      u"VKA 加密档案\\shell\\open\\command", u"x \"%1\""),
            0);
  const auto stored =
      fake.valueAt(reg::kClassesRoot, u"VKA 加密档案\\shell\\open\\command", nullptr);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->type, reg::kSz);
  EXPECT_EQ(stored->bytes, FakeRegistry::bytesOf(u"x \"%1\"", true));
  EXPECT_EQ(fake.valueNames(reg::kClassesRoot, u"VKA 加密档案\\shell\\open\\command"),
            std::vector<std::u16string>{u""});
  EXPECT_TRUE(fake.hasKey(reg::kClassesRoot, u"VKA 加密档案\\shell"));
  EXPECT_EQ(fake.openHandles(), 0u);
}

TEST_F(RegistryKeyTest, WriteStringReturnsTheFailureOfItsCreate) {
  fake.failCalls(Op::Create, reg::kAccessDenied);
  EXPECT_EQ(CRegistryKey::WriteString(fake, reg::kClassesRoot, u"SMVersions", u"5.0", u"Versions"),
            reg::kAccessDenied);
  fake.clearFailures();
  fake.failCalls(Op::Set, 1021);
  EXPECT_EQ(CRegistryKey::WriteString(fake, reg::kClassesRoot, u"SMVersions", u"5.0", u"Versions"),
            1021);
  EXPECT_EQ(fake.openHandles(), 0u);
}

TEST_F(RegistryKeyTest, WriteStringOfANullTextCreatesTheKeyOnly) {
  EXPECT_EQ(CRegistryKey::WriteString(fake, reg::kClassesRoot, u"SMVersions", nullptr, u"Versions"),
            reg::kInvalidData);
  EXPECT_TRUE(fake.hasKey(reg::kClassesRoot, u"SMVersions"));
  EXPECT_TRUE(fake.valueNames(reg::kClassesRoot, u"SMVersions").empty());
  EXPECT_EQ(trace.texts(), (std::vector<std::u16string>{u"lpszValue != 0", u"__atl_condVal"}));
}

}  // namespace
