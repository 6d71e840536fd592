// What the engine asks the running system about itself and the machine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "payload/seal.h"

namespace velkor {

// GetVersionExW's record; all zeros when the call fails.
struct VersionRecord {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t platform = 0;  // 1 Windows 9x, 2 NT
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // GetWindowsDirectoryW into 260 units; empty when it fails.
  virtual std::u16string windowsDirectory() = 0;
  // GetVersionExW with the 276-byte record.
  virtual VersionRecord versionRecord() = 0;
  // GetVolumeInformationW(root) without name buffers; nothing when it fails.
  virtual std::optional<std::uint32_t> volumeSerial(const std::u16string& root) = 0;
  // GetModuleFileNameW of the running executable: the setup file itself.
  virtual std::u16string modulePath() = 0;
  // The seal resource of the running image, parsed; nothing when it is absent
  // or not a seal record.
  virtual std::optional<seal::PayloadSeal> payloadSeal() = 0;
};

}  // namespace velkor
