// CRegistryKey on the real registry: values made with the raw API are read
// through the class, values the class writes are read with the raw API, and
// its diagnostics reach the debugger channel.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/registry_key.h"
#include "engine/trace.h"
#include "platform/win32_registry.h"
#include "platform/win32_trace.h"
#include "win/registry_raw.h"

namespace {

using velkor::CRegistryKey;
namespace reg = velkor::reg;

const wchar_t* w(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

constexpr char16_t kKey[] = u"Software\\VelkorKeyTest";

void rawSet(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
  ASSERT_EQ(velkor::rawreg::set(HKEY_CURRENT_USER, w(kKey), name, type, data, bytes),
            ERROR_SUCCESS);
}

std::vector<BYTE> utf16le(const std::u16string& text) {
  return velkor::rawreg::sz(std::wstring(text.begin(), text.end()));
}

using velkor::rawreg::get;

class RegistryKeyOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    // Each test starts without the values of the one before.
    RegDeleteTreeW(HKEY_CURRENT_USER, w(kKey));
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"VelkorKeyTest");
    previous_ = velkor::trace::setSink(
        [this](std::u16string_view text) { diagnostics_.emplace_back(text); });
  }
  void TearDown() override { velkor::trace::setSink(previous_); }

  // QueryString of a value of kKey, opened with every right, into a buffer
  // of 260 units filled with 'X'.
  reg::Status query(const char16_t* name, std::uint32_t capacity = 150) {
    CRegistryKey key(registry_);
    key.Open(reg::kCurrentUser, kKey, reg::kKeyAllAccess);
    buffer_.assign(260, u'X');
    count_ = capacity;
    return key.QueryString(buffer_.data(), name, &count_);
  }
  std::u16string text() const { return buffer_.substr(0, buffer_.find(u'\0')); }

  velkor::win32::Win32Registry registry_;
  std::u16string buffer_;
  std::uint32_t count_ = 0;
  std::vector<std::u16string> diagnostics_;
  velkor::trace::Sink previous_;
};

TEST_F(RegistryKeyOnWine, ReadsStringTypesWrittenByTheSystem) {
  const wchar_t version[] = L"5.0";
  rawSet(L"Versions", REG_SZ, version, sizeof version);
  rawSet(L"Path", REG_EXPAND_SZ, L"%SystemRoot%", 26);
  const wchar_t list[] = L"a\0b\0";  // two strings and the closing terminator
  rawSet(L"List", REG_MULTI_SZ, list, sizeof list);
  rawSet(nullptr, REG_SZ, L"VKA \x52A0\x5BC6\x6863\x6848", 18);
  EXPECT_EQ(query(u"Versions"), 0);
  EXPECT_EQ(text(), u"5.0");
  EXPECT_EQ(count_, 8u);
  EXPECT_EQ(query(u"Path"), 0);
  EXPECT_EQ(text(), u"%SystemRoot%");
  EXPECT_EQ(query(u"List"), 0);
  EXPECT_EQ(text(), u"a");
  EXPECT_EQ(query(nullptr), 0);
  EXPECT_EQ(text(), u"VKA 加密档案");
  EXPECT_TRUE(diagnostics_.empty());
}

TEST_F(RegistryKeyOnWine, AValueWithoutTerminatorIsInvalidData) {
  // "abc" of "abcd": the unit after the counted bytes is not 0, so the
  // registry stores exactly the six bytes.
  rawSet(L"Versions", REG_SZ, L"abcd", 6);
  ASSERT_EQ(get(HKEY_CURRENT_USER, w(kKey), L"Versions").bytes.size(), 6u);
  EXPECT_EQ(query(u"Versions"), reg::kInvalidData);
  EXPECT_EQ(buffer_[0], u'\0');
  EXPECT_EQ(count_, 6u);
  rawSet(L"Odd", REG_SZ, L"5.0", 7);
  EXPECT_EQ(query(u"Odd"), reg::kInvalidData);
  EXPECT_EQ(buffer_[0], u'\0');
  rawSet(L"Single", REG_MULTI_SZ, L"ab", 6);  // one terminator only
  EXPECT_EQ(query(u"Single"), reg::kInvalidData);
}

TEST_F(RegistryKeyOnWine, A200ByteStringDoesNotFitA150ByteCapacity) {
  const std::wstring text(99, L'7');
  rawSet(L"Versions", REG_SZ, text.c_str(), 200);
  EXPECT_EQ(query(u"Versions"), reg::kMoreData);
  EXPECT_EQ(count_, 200u);
  EXPECT_EQ(buffer_[0], u'\0');
  EXPECT_EQ(buffer_.substr(75), std::u16string(185, u'X'));  // nothing past the capacity
  EXPECT_EQ(query(u"Versions", 200), 0);
  EXPECT_EQ(text.size(), this->text().size());
}

TEST_F(RegistryKeyOnWine, OtherTypesAreInvalidDataWithTheTypeDiagnostic) {
  const DWORD one = 1;
  rawSet(L"Lockpa", REG_DWORD, &one, sizeof one);
  rawSet(L"Blob", REG_BINARY, L"1", 4);
  EXPECT_EQ(query(u"Lockpa"), reg::kInvalidData);
  EXPECT_EQ(buffer_[0], u'\0');
  EXPECT_EQ(query(u"Blob"), reg::kInvalidData);
  const std::u16string diagnostic =
      u"(lRes!=0L) || (dwType == ( 1 )) || (dwType == ( 7 )) || (dwType == ( 2 ))";
  EXPECT_EQ(diagnostics_, std::vector<std::u16string>(2, diagnostic));
}

TEST_F(RegistryKeyOnWine, MissingKeysAndValuesAreInvalidData) {
  CRegistryKey key(registry_);
  EXPECT_EQ(key.Open(reg::kCurrentUser, u"Software\\VelkorNoSuchKey", reg::kKeyAllAccess),
            reg::kFileNotFound);
  std::u16string buffer(260, u'X');
  std::uint32_t count = 150;
  EXPECT_EQ(key.QueryString(buffer.data(), u"Versions", &count), reg::kInvalidData);
  EXPECT_EQ(buffer[0], u'\0');
  EXPECT_EQ(count, 150u);
  rawSet(L"Other", REG_SZ, L"1", 4);
  EXPECT_EQ(query(u"Versions"), reg::kInvalidData);
  EXPECT_EQ(buffer_[0], u'\0');
}

TEST_F(RegistryKeyOnWine, AKeyOpenedForWritingCannotBeRead) {
  const wchar_t one[] = L"1";
  rawSet(L"Lockpa", REG_SZ, one, sizeof one);
  CRegistryKey key(registry_);
  ASSERT_EQ(key.Open(reg::kCurrentUser, kKey, reg::kKeyWrite), 0);
  std::u16string buffer(260, u'X');
  std::uint32_t count = 150;
  EXPECT_EQ(key.QueryString(buffer.data(), u"Lockpa", &count), reg::kInvalidData);
  EXPECT_EQ(buffer[0], u'\0');
}

TEST_F(RegistryKeyOnWine, AFailedOpenKeepsTheHeldKey) {
  const wchar_t version[] = L"5.0";
  rawSet(L"Versions", REG_SZ, version, sizeof version);
  CRegistryKey key(registry_);
  ASSERT_EQ(key.Open(reg::kCurrentUser, kKey, reg::kKeyAllAccess), 0);
  EXPECT_EQ(key.Open(reg::kClassesRoot, u"VelkorNoSuchKey", reg::kKeyAllAccess),
            reg::kFileNotFound);
  std::u16string buffer(260, u'X');
  std::uint32_t count = 150;
  EXPECT_EQ(key.QueryString(buffer.data(), u"Versions", &count), 0);
  EXPECT_EQ(buffer.substr(0, 4), std::u16string(u"5.0", 4));
}

TEST_F(RegistryKeyOnWine, SetStringStoresEightBytesForFivePointZero) {
  CRegistryKey key(registry_);
  ASSERT_EQ(key.Create(reg::kCurrentUser, kKey), 0);
  EXPECT_EQ(key.SetString(u"Versions", u"5.0"), 0);
  const velkor::rawreg::Value stored = get(HKEY_CURRENT_USER, w(kKey), L"Versions");
  EXPECT_EQ(stored.status, ERROR_SUCCESS);
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored.bytes, utf16le(u"5.0"));
  EXPECT_EQ(key.SetString(u"Expanded", u"%TEMP%", reg::kExpandSz), 0);
  EXPECT_EQ(get(HKEY_CURRENT_USER, w(kKey), L"Expanded").type,
            static_cast<DWORD>(REG_EXPAND_SZ));
}

TEST_F(RegistryKeyOnWine, WriteStringCreatesTheWholePathAndSetsTheDefaultValue) {
  const char16_t path[] = u"VelkorKeyTest\\VKA 加密档案\\shell\\open\\command";
  ASSERT_EQ(get(HKEY_CLASSES_ROOT, L"VelkorKeyTest", nullptr).status, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(CRegistryKey::WriteString(registry_, reg::kClassesRoot, path, u"x \"%1\""), 0);
  const velkor::rawreg::Value stored = get(HKEY_CLASSES_ROOT, w(path), nullptr);
  EXPECT_EQ(stored.status, ERROR_SUCCESS);
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored.bytes, utf16le(u"x \"%1\""));
  // Rewriting an existing key works the same way.
  EXPECT_EQ(CRegistryKey::WriteString(registry_, reg::kClassesRoot, path, u"y"), 0);
  EXPECT_EQ(get(HKEY_CLASSES_ROOT, w(path), nullptr).bytes, utf16le(u"y"));
}

// ---- The debugger route of the diagnostics ----

std::vector<std::wstring>* g_debugText = nullptr;

// OutputDebugString raises a continuable exception that carries the text; a
// vectored handler sees it before the system swallows it.
LONG CALLBACK catchDebugText(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (g_debugText == nullptr || record->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
  const auto length = static_cast<std::size_t>(record->ExceptionInformation[0]);
  if (record->ExceptionCode == 0x4001000A) {  // DBG_PRINTEXCEPTION_WIDE_C
    const auto* text = reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]);
    g_debugText->emplace_back(text, length > 0 ? length - 1 : 0);
  } else if (record->ExceptionCode == 0x40010006) {  // DBG_PRINTEXCEPTION_C
    const auto* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
    g_debugText->emplace_back(text, text + (length > 0 ? length - 1 : 0));
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

TEST(TraceOnWine, DiagnosticsGoToTheDebuggerOneLineEach) {
  std::vector<std::wstring> seen;
  g_debugText = &seen;
  void* handler = AddVectoredExceptionHandler(1, catchDebugText);
  ASSERT_NE(handler, nullptr);
  velkor::win32::routeTraceToDebugger();
  velkor::win32::Win32Registry registry;
  {
    CRegistryKey key(registry);
    key.SetString(u"Versions", u"5.0");  // no key held
  }
  RemoveVectoredExceptionHandler(handler);
  g_debugText = nullptr;
  velkor::trace::setSink({});
  ASSERT_FALSE(seen.empty());
  bool found = false;
  for (const auto& text : seen) found = found || text == L"m_hKey != 0\n";
  EXPECT_TRUE(found) << "texts seen: " << seen.size();
}

}  // namespace
