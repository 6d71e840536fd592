#include "platform/win32_registry.h"

#include <windows.h>

#include "framework/text.h"

namespace velkor::win32 {
namespace {

static_assert(sizeof(DWORD) == sizeof(std::uint32_t) && sizeof(LONG) == sizeof(reg::Status));
static_assert(sizeof(HKEY) == sizeof(reg::RegKey));

HKEY toHkey(reg::RegKey key) { return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key)); }
wchar_t* wideClass(const char16_t* text) {
  return const_cast<wchar_t*>(wide(text));  // RegCreateKeyExW only reads it
}
DWORD* dword(std::uint32_t* value) { return reinterpret_cast<DWORD*>(value); }

}  // namespace

reg::Status Win32Registry::openKey(reg::RegKey parent, const char16_t* subKey,
                                   std::uint32_t access, reg::RegKey* result) noexcept {
  return RegOpenKeyExW(toHkey(parent), wide(subKey), 0, access,
                       reinterpret_cast<HKEY*>(result));
}

reg::Status Win32Registry::createKey(reg::RegKey parent, const char16_t* subKey,
                                     const char16_t* className, std::uint32_t options,
                                     std::uint32_t access, reg::RegKey* result,
                                     std::uint32_t* disposition) noexcept {
  return RegCreateKeyExW(toHkey(parent), wide(subKey), 0, wideClass(className), options, access,
                         nullptr, reinterpret_cast<HKEY*>(result), dword(disposition));
}

reg::Status Win32Registry::queryValue(reg::RegKey key, const char16_t* valueName,
                                      std::uint32_t* type, std::uint8_t* data,
                                      std::uint32_t* byteCount) noexcept {
  return RegQueryValueExW(toHkey(key), wide(valueName), nullptr, dword(type), data,
                          dword(byteCount));
}

reg::Status Win32Registry::setValue(reg::RegKey key, const char16_t* valueName,
                                    std::uint32_t type, const std::uint8_t* data,
                                    std::uint32_t byteCount) noexcept {
  return RegSetValueExW(toHkey(key), wide(valueName), 0, type, data, byteCount);
}

reg::Status Win32Registry::deleteKey(reg::RegKey parent, const char16_t* subKey) noexcept {
  return RegDeleteKeyW(toHkey(parent), wide(subKey));
}

reg::Status Win32Registry::closeKey(reg::RegKey key) noexcept {
  return RegCloseKey(toHkey(key));
}

}  // namespace velkor::win32
