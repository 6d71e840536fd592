// The registry as the engine sees it: six calls with the Win32 registry API's
// own arguments and results. Win32Registry passes each one to its Reg*W call;
// tests use FakeRegistry, an in-memory tree with the same contract.
#pragma once

#include <cstdint>

namespace velkor::reg {

// A key handle. The three roots have their Win32 values (sign-extended like
// HKEY_CLASSES_ROOT in <winreg.h>); any other value is a handle the port gave
// out. RegKey{} is the null handle.
enum class RegKey : std::uintptr_t {};

constexpr RegKey predefinedKey(std::int32_t value) {
  return static_cast<RegKey>(static_cast<std::uintptr_t>(static_cast<std::intptr_t>(value)));
}
inline constexpr RegKey kClassesRoot = predefinedKey(static_cast<std::int32_t>(0x80000000u));
inline constexpr RegKey kCurrentUser = predefinedKey(static_cast<std::int32_t>(0x80000001u));
inline constexpr RegKey kLocalMachine = predefinedKey(static_cast<std::int32_t>(0x80000002u));

// Win32 status codes (LONG): 0 is success.
using Status = std::int32_t;
inline constexpr Status kSuccess = 0;            // ERROR_SUCCESS
inline constexpr Status kFileNotFound = 2;       // ERROR_FILE_NOT_FOUND
inline constexpr Status kAccessDenied = 5;       // ERROR_ACCESS_DENIED
inline constexpr Status kInvalidHandle = 6;      // ERROR_INVALID_HANDLE
inline constexpr Status kInvalidData = 13;       // ERROR_INVALID_DATA
inline constexpr Status kInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
inline constexpr Status kMoreData = 234;         // ERROR_MORE_DATA
inline constexpr Status kKeyDeleted = 1018;      // ERROR_KEY_DELETED
// E_FAIL, for a call that was given no byte count to work with.
inline constexpr Status kFail = static_cast<Status>(0x80004005u);

// Value types.
inline constexpr std::uint32_t kNone = 0;       // REG_NONE
inline constexpr std::uint32_t kSz = 1;         // REG_SZ
inline constexpr std::uint32_t kExpandSz = 2;   // REG_EXPAND_SZ
inline constexpr std::uint32_t kBinary = 3;     // REG_BINARY
inline constexpr std::uint32_t kDword = 4;      // REG_DWORD
inline constexpr std::uint32_t kMultiSz = 7;    // REG_MULTI_SZ

// Access rights (REGSAM).
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyReadWrite = kKeyRead | kKeyWrite;  // 0x2001F
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// Options and dispositions of createKey.
inline constexpr std::uint32_t kOptionNonVolatile = 0;  // REG_OPTION_NON_VOLATILE
inline constexpr std::uint32_t kCreatedNewKey = 1;      // REG_CREATED_NEW_KEY
inline constexpr std::uint32_t kOpenedExistingKey = 2;  // REG_OPENED_EXISTING_KEY

// Paths and value names are zero-terminated UTF-16; a null value name is the
// key's default value. Out pointers may be null where Win32 allows it.
class RegistryPort {
 public:
  virtual ~RegistryPort() = default;

  // RegOpenKeyExW(parent, subKey, 0, access, result).
  virtual Status openKey(RegKey parent, const char16_t* subKey, std::uint32_t access,
                         RegKey* result) noexcept = 0;

  // RegCreateKeyExW(parent, subKey, 0, className, options, access, no security
  // attributes, result, disposition): every missing key along the path is made.
  virtual Status createKey(RegKey parent, const char16_t* subKey, const char16_t* className,
                           std::uint32_t options, std::uint32_t access, RegKey* result,
                           std::uint32_t* disposition) noexcept = 0;

  // RegQueryValueExW(key, valueName, 0, type, data, byteCount): byteCount is
  // the capacity of data on entry and the value's size on return; a value
  // larger than the capacity gives kMoreData with the size needed.
  virtual Status queryValue(RegKey key, const char16_t* valueName, std::uint32_t* type,
                            std::uint8_t* data, std::uint32_t* byteCount) noexcept = 0;

  // RegSetValueExW(key, valueName, 0, type, data, byteCount): the bytes are
  // stored as given, terminator or not.
  virtual Status setValue(RegKey key, const char16_t* valueName, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t byteCount) noexcept = 0;

  // RegDeleteKeyW(parent, subKey): one key without subkeys.
  virtual Status deleteKey(RegKey parent, const char16_t* subKey) noexcept = 0;

  // RegCloseKey(key).
  virtual Status closeKey(RegKey key) noexcept = 0;
};

}  // namespace velkor::reg
