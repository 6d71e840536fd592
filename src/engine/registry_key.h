// CRegistryKey: holds at most one open registry key and reads and writes
// string values in it. Every outcome is a Win32 status (0 = success); nothing
// throws and nothing is shown. Misuse is reported as a trace diagnostic and
// the operation goes on.
#pragma once

#include <cstdint>

#include "platform/registry_port.h"

namespace velkor {

class CRegistryKey {
 public:
  explicit CRegistryKey(reg::RegistryPort& registry) noexcept;
  ~CRegistryKey();
  CRegistryKey(const CRegistryKey&) = delete;
  CRegistryKey& operator=(const CRegistryKey&) = delete;

  // Opens hKeyParent\subKey. On success the key held so far is closed and the
  // result is that close's status; on failure the held key stays held and the
  // registry's status is returned.
  reg::Status Open(reg::RegKey hKeyParent, const char16_t* subKey, std::uint32_t access) noexcept;

  // Opens hKeyParent\subKey, creating every missing key along the path.
  // Results as for Open; *disposition, when asked for, tells created from
  // opened.
  reg::Status Create(reg::RegKey hKeyParent, const char16_t* subKey,
                     const char16_t* className = nullptr,
                     std::uint32_t options = reg::kOptionNonVolatile,
                     std::uint32_t access = reg::kKeyReadWrite,
                     std::uint32_t* disposition = nullptr) noexcept;

  // Closes the held key, if any; 0 when none was held.
  reg::Status Close() noexcept;

  // Reads a string value (null name = the default value) into buffer, whose
  // capacity in bytes *byteCount gives; *byteCount then holds the value's
  // size. Returns 0 only for a properly terminated string; after any failure
  // the buffer holds the empty string. A null buffer only asks for the size.
  reg::Status QueryString(char16_t* buffer, const char16_t* valueName,
                          std::uint32_t* byteCount) noexcept;

  // Stores text with its terminator under valueName in the held key.
  reg::Status SetString(const char16_t* valueName, const char16_t* text,
                        std::uint32_t type = reg::kSz) noexcept;

  // Creates hKeyParent\subKey as needed and stores text (REG_SZ) under
  // valueName, through a key of its own that is closed on return.
  static reg::Status WriteString(reg::RegistryPort& registry, reg::RegKey hKeyParent,
                                 const char16_t* subKey, const char16_t* text,
                                 const char16_t* valueName = nullptr) noexcept;

  // The held key, RegKey{} when none.
  reg::RegKey heldKey() const noexcept { return m_hKey; }

 private:
  reg::Status replaceHeldKey(reg::RegKey key) noexcept;

  reg::RegistryPort& m_registry;
  reg::RegKey m_hKey{};
};

}  // namespace velkor
