// The registry port on the Win32 registry API: each call is one Reg*W call.
#pragma once

#include "platform/registry_port.h"

namespace velkor::win32 {

class Win32Registry final : public reg::RegistryPort {
 public:
  reg::Status openKey(reg::RegKey parent, const char16_t* subKey, std::uint32_t access,
                      reg::RegKey* result) noexcept override;
  reg::Status createKey(reg::RegKey parent, const char16_t* subKey, const char16_t* className,
                        std::uint32_t options, std::uint32_t access, reg::RegKey* result,
                        std::uint32_t* disposition) noexcept override;
  reg::Status queryValue(reg::RegKey key, const char16_t* valueName, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* byteCount) noexcept override;
  reg::Status setValue(reg::RegKey key, const char16_t* valueName, std::uint32_t type,
                       const std::uint8_t* data, std::uint32_t byteCount) noexcept override;
  reg::Status deleteKey(reg::RegKey parent, const char16_t* subKey) noexcept override;
  reg::Status closeKey(reg::RegKey key) noexcept override;
};

}  // namespace velkor::win32
