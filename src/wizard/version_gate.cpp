#include "wizard/version_gate.h"

#include "wizard/texts.h"

namespace velkor::wizard {

LayoutClass layoutClass(std::uint32_t major, std::uint32_t minor) {
  if (major == 6 && minor == 2) return LayoutClass::k62;
  if (major == 5 && minor == 1) return LayoutClass::k51;
  return LayoutClass::kOther;
}

SystemVerdict versionGate(std::uint32_t platform, std::uint32_t major, std::uint32_t minor) {
  if (platform == 1) {
    if (minor < 10) return SystemVerdict::kWin95Family;
    if (minor == 10) return SystemVerdict::kWin98;
    if (minor == 90) return SystemVerdict::kWinMe;
    return SystemVerdict::kAccepted;
  }
  if (platform == 2) {
    if (major == 3 || major == 4) return SystemVerdict::kWinNT;
    if (major == 5 && minor == 0) return SystemVerdict::kWin2000;
    if (major == 5 && minor == 2) return SystemVerdict::kWin2003;
  }
  return SystemVerdict::kAccepted;
}

const char16_t* refusalMessage(SystemVerdict verdict) {
  switch (verdict) {
    case SystemVerdict::kAccepted: return nullptr;
    case SystemVerdict::kWin95Family: return text::kRefusedWin95;
    case SystemVerdict::kWin98: return text::kRefusedWin98;
    case SystemVerdict::kWinMe: return text::kRefusedWinMe;
    case SystemVerdict::kWinNT: return text::kRefusedWinNT;
    case SystemVerdict::kWin2000: return text::kRefusedWin2000;
    case SystemVerdict::kWin2003: return text::kRefusedWin2003;
  }
  return nullptr;
}

}  // namespace velkor::wizard
