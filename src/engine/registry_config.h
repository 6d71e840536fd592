// The product's registry configuration, written once per installation after
// the fonts: the version marker, the ".vka" file type with its icon and open
// command, context-menu commands for files and folders, and a reset of the
// lock password when the version changed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_port.h"

namespace velkor {

class MainWindow;

namespace regconfig {

// The version this setup installs; the next setup reads it back.
inline constexpr char16_t kCurrentVersion[] = u"5.0";

// K of the lock-password encoding: the product's own programs decode "Lockpw"
// with this value and the same machine number, so it must never change.
inline constexpr std::uint16_t kLockPasswordKey = 0x5A3C;
inline constexpr std::size_t kLockPasswordUnits = 32;

// The reads of the marker and of "Lockpa": a buffer of 260 units of which the
// call may use 150 bytes, so a text of 75 units or more does not fit.
inline constexpr std::size_t kReadBufferUnits = 260;
inline constexpr std::uint32_t kReadCapacityBytes = 150;

// The notice shown when the lock password is reset over an empty "Lockpa".
inline constexpr char16_t kNoticeText[] = u"由于版本发生变化，请重新设置系统锁定密码...";
inline constexpr char16_t kNoticeCaption[] = u"Velkor & 提示";
inline constexpr unsigned kNoticeStyle = 0x40;  // MB_OK | MB_ICONINFORMATION

// The status line while the entries are written.
inline constexpr char16_t kStatusText[] = u"写入注册表...";

// One value the configuration writes (REG_SZ with its terminator).
struct RegistryEntry {
  int number;                 // 1..12, the order of writing
  reg::RegKey root;
  std::u16string key;
  const char16_t* valueName;  // null: the key's default value
  std::u16string data;
  bool createFirst;           // Create before the Open (all but the lock-password pair)
  std::uint32_t openAccess;
};

// The twelve entries in their order, with their data; entry 3 carries the
// encoded empty lock password for this machine number.
std::vector<RegistryEntry> registryEntries(std::int32_t machineNumber);

// The shell commands: program path and placeholder, each in quotation marks.
std::u16string mainCommand();
std::u16string shredCommand();

// The encoded form of the empty lock password: unit i is the low 16 bits of
// i + 3 * machineNumber + K. Always kLockPasswordUnits units long.
std::u16string encodeLockPassword(std::int32_t machineNumber);

enum class LockPasswordAction {
  Keep,             // "Lockpa" reads "1" (any non-empty text) over the same version
  Reset,            // no readable "Lockpa", or the version changed
  ResetWithNotice,  // "Lockpa" present but empty over the same version
};

LockPasswordAction decideLockPassword(reg::Status lockFlagStatus, std::u16string_view lockFlag,
                                      std::u16string_view previousVersion);

// Writes the whole configuration. Registry failures are silent: each write
// that fails is skipped and the next one runs. Uses the view for the status
// line and as the owner of the notice.
void writeRegistryConfiguration(reg::RegistryPort& registry, MainWindow& view,
                                std::int32_t machineNumber);

}  // namespace regconfig
}  // namespace velkor
