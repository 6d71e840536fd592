// Which systems the wizard refuses, with which line, and the layout class of
// every version the dialogs correct their pixels by.
#include <gtest/gtest.h>

#include <utility>

#include <cstdint>
#include <string>

#include "wizard/version_gate.h"

namespace velkor::wizard {
namespace {

struct GateCase {
  std::uint32_t platform, major, minor;
  SystemVerdict verdict;
};

std::string describe(const GateCase& c) {
  return "platform " + std::to_string(c.platform) + " " + std::to_string(c.major) + "." +
         std::to_string(c.minor);
}

TEST(VersionGate, EveryRefusedAndAcceptedCase) {
  const GateCase cases[] = {
      // The Windows 95 family: the minor version alone decides.
      {1, 4, 0, SystemVerdict::kWin95Family},
      {1, 4, 9, SystemVerdict::kWin95Family},
      {1, 9, 3, SystemVerdict::kWin95Family},  // the major is not consulted
      {1, 4, 10, SystemVerdict::kWin98},
      {1, 0, 10, SystemVerdict::kWin98},
      {1, 4, 90, SystemVerdict::kWinMe},
      {1, 4, 50, SystemVerdict::kAccepted},
      {1, 4, 11, SystemVerdict::kAccepted},
      {1, 4, 0xFFFFFFFFu, SystemVerdict::kAccepted},  // unsigned comparison
      // The NT family.
      {2, 3, 51, SystemVerdict::kWinNT},
      {2, 4, 0, SystemVerdict::kWinNT},
      {2, 4, 90, SystemVerdict::kWinNT},
      {2, 5, 0, SystemVerdict::kWin2000},
      {2, 5, 2, SystemVerdict::kWin2003},  // also 64-bit XP
      {2, 5, 1, SystemVerdict::kAccepted},
      {2, 5, 3, SystemVerdict::kAccepted},
      {2, 6, 0, SystemVerdict::kAccepted},
      {2, 6, 1, SystemVerdict::kAccepted},
      {2, 6, 2, SystemVerdict::kAccepted},
      {2, 10, 0, SystemVerdict::kAccepted},
      // Any other platform, and the all-zero record of a failed query.
      {0, 0, 0, SystemVerdict::kAccepted},
      {3, 4, 0, SystemVerdict::kAccepted},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(describe(c));
    EXPECT_EQ(versionGate(c.platform, c.major, c.minor), c.verdict);
  }
}

TEST(VersionGate, EachRefusalNamesItsSystem) {
  EXPECT_EQ(refusalMessage(SystemVerdict::kAccepted), nullptr);
  const std::pair<SystemVerdict, const char16_t*> refusals[] = {
      {SystemVerdict::kWin95Family, u"您当前的操作系统是Windows95，本软件不予支持。"},
      {SystemVerdict::kWin98, u"您当前的操作系统是Windows 98Se，本软件不予支持。"},
      {SystemVerdict::kWinMe, u"您当前的操作系统是Windows Me，本软件不予支持。"},
      {SystemVerdict::kWinNT, u"您当前的操作系统是Windows NT，本软件不予支持。"},
      {SystemVerdict::kWin2000, u"您当前的操作系统是Windows 2000，本软件不予支持。"},
      {SystemVerdict::kWin2003, u"您当前的操作系统是Windows 2003，本软件不予支持。"},
  };
  for (const auto& [verdict, text] : refusals)
    EXPECT_EQ(std::u16string(refusalMessage(verdict)), text) << static_cast<int>(verdict);
}

TEST(LayoutClass, OnlyExactSixTwoAndFiveOneHaveClassesOfTheirOwn) {
  EXPECT_EQ(layoutClass(6, 2), LayoutClass::k62);
  EXPECT_EQ(layoutClass(5, 1), LayoutClass::k51);
  for (auto [major, minor] : {std::pair<unsigned, unsigned>{6, 0}, {6, 1}, {6, 3}, {5, 0}, {5, 2},
                              {4, 10}, {10, 0}, {0, 0}, {2, 6}, {1, 5}}) {
    SCOPED_TRACE(std::to_string(major) + "." + std::to_string(minor));
    EXPECT_EQ(layoutClass(major, minor), LayoutClass::kOther);
  }
}

}  // namespace
}  // namespace velkor::wizard
