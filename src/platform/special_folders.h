// The current user's shell folders, looked up without creating them.
#pragma once

#include <optional>
#include <string>

namespace velkor {

// CSIDL values of the folders the engine uses (never the all-users ones).
namespace csidl {
inline constexpr int kPrograms = 0x02;          // CSIDL_PROGRAMS: Start menu\Programs
inline constexpr int kDesktopDirectory = 0x10;  // CSIDL_DESKTOPDIRECTORY
}  // namespace csidl

class SpecialFolders {
 public:
  virtual ~SpecialFolders() = default;
  // SHGetSpecialFolderPathW(null, buffer of MAX_PATH, folder, create FALSE):
  // the folder's path without a trailing backslash, nothing when the call fails.
  virtual std::optional<std::u16string> specialFolderPath(int folder) = 0;
};

}  // namespace velkor
