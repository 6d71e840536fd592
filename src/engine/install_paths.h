// Fixed places on the target machine, and the two paths that depend on it.
#pragma once

#include <string>

namespace velkor::paths {

inline constexpr char16_t kInstallDirectory[] = u"C:\\Program Files\\VelkorCrypt";
inline constexpr char16_t kFirstRunMarker[] = u"C:\\Program Files\\VelkorCrypt\\FirstRun.txt";

// A file of the installation folder.
inline std::u16string inInstallDirectory(const char16_t* fileName) {
  return std::u16string(kInstallDirectory) + u"\\" + fileName;
}

// The font folder: the Windows directory followed by "\Fonts\".
inline std::u16string fontFolder(const std::u16string& windowsDirectory) {
  return windowsDirectory + u"\\Fonts\\";
}

// The folder of a file path, with its trailing backslash ("" for a bare name).
inline std::u16string folderOf(const std::u16string& path) {
  const auto slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

}  // namespace velkor::paths
