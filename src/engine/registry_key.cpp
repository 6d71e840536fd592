#include "engine/registry_key.h"

#include <string>

#include "engine/trace.h"

namespace velkor {
namespace {

// The conditions the diagnostics name, in the words a debugger user expects.
constexpr char16_t kParentNull[] = u"hKeyParent != 0";
constexpr char16_t kCloseFailed[] = u"lRes == 0L";
constexpr char16_t kCondVal[] = u"__atl_condVal";
constexpr char16_t kNotAStringValue[] =
    u"(lRes!=0L) || (dwType == ( 1 )) || (dwType == ( 7 )) || (dwType == ( 2 ))";
constexpr char16_t kNoKeyHeld[] = u"m_hKey != 0";
constexpr char16_t kNotAStringType[] = u"(dwType == ( 1 )) || (dwType == ( 2 ))";
constexpr char16_t kValueNull[] = u"lpszValue != 0";

bool isStringType(std::uint32_t type) {
  return type == reg::kSz || type == reg::kExpandSz || type == reg::kMultiSz;
}

}  // namespace

CRegistryKey::CRegistryKey(reg::RegistryPort& registry) noexcept : m_registry(registry) {}

CRegistryKey::~CRegistryKey() { Close(); }

reg::Status CRegistryKey::replaceHeldKey(reg::RegKey key) noexcept {
  const reg::Status closed = Close();
  m_hKey = key;
  return closed;
}

reg::Status CRegistryKey::Open(reg::RegKey hKeyParent, const char16_t* subKey,
                               std::uint32_t access) noexcept {
  if (hKeyParent == reg::RegKey{}) trace::emit(kParentNull);
  reg::RegKey opened{};
  const reg::Status status = m_registry.openKey(hKeyParent, subKey, access, &opened);
  if (status != reg::kSuccess) return status;  // the held key stays usable
  const reg::Status closed = replaceHeldKey(opened);
  if (closed != reg::kSuccess) trace::emit(kCloseFailed);
  return closed;
}

reg::Status CRegistryKey::Create(reg::RegKey hKeyParent, const char16_t* subKey,
                                 const char16_t* className, std::uint32_t options,
                                 std::uint32_t access, std::uint32_t* disposition) noexcept {
  if (hKeyParent == reg::RegKey{}) trace::emit(kParentNull);
  reg::RegKey created{};
  std::uint32_t outcome = 0;
  const reg::Status status =
      m_registry.createKey(hKeyParent, subKey, className, options, access, &created, &outcome);
  if (status != reg::kSuccess) return status;
  if (disposition != nullptr) *disposition = outcome;
  return replaceHeldKey(created);
}

reg::Status CRegistryKey::Close() noexcept {
  if (m_hKey == reg::RegKey{}) return reg::kSuccess;
  const reg::Status status = m_registry.closeKey(m_hKey);
  m_hKey = reg::RegKey{};
  return status;
}

reg::Status CRegistryKey::QueryString(char16_t* buffer, const char16_t* valueName,
                                      std::uint32_t* byteCount) noexcept {
  if (byteCount == nullptr) {
    trace::emit(kCondVal);
    return reg::kFail;
  }
  const std::uint32_t capacity = *byteCount;
  std::uint32_t type = reg::kNone;  // stays 0 when the read fails
  const reg::Status status = m_registry.queryValue(
      m_hKey, valueName, &type, reinterpret_cast<std::uint8_t*>(buffer), byteCount);
  if (status == reg::kSuccess && !isStringType(type)) trace::emit(kNotAStringValue);
  if (buffer == nullptr) return status;

  // Empties the buffer, but never writes past a capacity of less than a unit.
  const auto fail = [&](reg::Status result) {
    if (capacity >= sizeof(char16_t)) buffer[0] = 0;
    return result;
  };
  if (status == reg::kMoreData) return fail(status);  // nothing past the capacity is read
  const std::uint32_t count = *byteCount;
  if (count == 0) return fail(status);
  if (count > capacity) return fail(reg::kInvalidData);  // the registry never reports more

  if (!isStringType(type)) return fail(reg::kInvalidData);
  const std::uint32_t units = count / sizeof(char16_t);
  if (count % sizeof(char16_t) != 0 || buffer[units - 1] != 0) return fail(reg::kInvalidData);
  if (type == reg::kMultiSz && units > 1 && buffer[units - 2] != 0)
    return fail(reg::kInvalidData);
  return status;
}

reg::Status CRegistryKey::SetString(const char16_t* valueName, const char16_t* text,
                                    std::uint32_t type) noexcept {
  if (m_hKey == reg::RegKey{}) trace::emit(kNoKeyHeld);
  if (text == nullptr) {
    trace::emit(kCondVal);
    return reg::kInvalidData;
  }
  if (type != reg::kSz && type != reg::kExpandSz) trace::emit(kNotAStringType);
  const std::size_t units = std::char_traits<char16_t>::length(text) + 1;  // with terminator
  if (units > UINT32_MAX / sizeof(char16_t)) return reg::kInvalidParameter;
  return m_registry.setValue(m_hKey, valueName, type, reinterpret_cast<const std::uint8_t*>(text),
                             static_cast<std::uint32_t>(units * sizeof(char16_t)));
}

reg::Status CRegistryKey::WriteString(reg::RegistryPort& registry, reg::RegKey hKeyParent,
                                      const char16_t* subKey, const char16_t* text,
                                      const char16_t* valueName) noexcept {
  if (text == nullptr) trace::emit(kValueNull);
  CRegistryKey key(registry);
  const reg::Status created = key.Create(hKeyParent, subKey);
  if (created != reg::kSuccess) return created;
  return key.SetString(valueName, text, reg::kSz);
}

}  // namespace velkor
