// Which systems the wizard accepts, and the three-way layout class by which
// every dialog of the wizard picks its pixel corrections. Pure functions of
// the version record's numbers.
#pragma once

#include <cstdint>

namespace velkor::wizard {

enum class LayoutClass {
  k62,     // 6.2: Windows 8 and everything later (no supported-OS manifest entry)
  k51,     // 5.1: Windows XP
  kOther,  // anything else, Vista (6.0) and 7 (6.1) among them
};

LayoutClass layoutClass(std::uint32_t major, std::uint32_t minor);

enum class SystemVerdict {
  kAccepted,
  kWin95Family,
  kWin98,
  kWinMe,
  kWinNT,
  kWin2000,
  kWin2003,
};

// Platform 1 is the Windows 95 family (decided by the minor version alone),
// platform 2 the NT family; any other platform is accepted.
SystemVerdict versionGate(std::uint32_t platform, std::uint32_t major, std::uint32_t minor);

// The refusal page's system line for a refused verdict; null for kAccepted.
const char16_t* refusalMessage(SystemVerdict verdict);

}  // namespace velkor::wizard
