// What the Wine harness tells a Windows test program about its run.
#pragma once
#include <cstdlib>
#include <cstring>
#include <string>

namespace velkor::testenv {

struct WindowsVersion {
  const char* name;   // Wine's name for it (HKCU\Software\Wine "Version")
  unsigned major;
  unsigned minor;
  unsigned platform;  // 1 = Windows 9x, 2 = NT
};

// What Wine 8 reports for each version name, measured.
inline constexpr WindowsVersion kWindowsVersions[] = {
    {"win95", 4, 0, 1},  {"win98", 4, 10, 1}, {"winme", 4, 90, 1},
    {"nt40", 4, 0, 2},   {"win2k", 5, 0, 2},  {"win2003", 5, 2, 2},
    {"winxp", 5, 1, 2},  {"vista", 6, 0, 2},  {"win7", 6, 1, 2},
    {"win8", 6, 2, 2},   {"win10", 6, 2, 2},
};

// The version this run was started with (VELKOR_WINVER, default win7).
inline const WindowsVersion& currentWindowsVersion() {
  const char* name = std::getenv("VELKOR_WINVER");
  if (name == nullptr || *name == '\0') name = "win7";
  for (const auto& v : kWindowsVersions)
    if (std::strcmp(v.name, name) == 0) return v;
  std::abort();  // a harness misconfiguration, not a test result
}

// The scenario name of this ctest entry, for messages.
inline std::string scenario() {
  const char* s = std::getenv("VELKOR_SCENARIO");
  return s ? s : "";
}

}  // namespace velkor::testenv
