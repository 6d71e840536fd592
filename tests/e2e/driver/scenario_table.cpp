#include <cstdio>
#include <cstring>

#include "scenarios.h"
#include "wizard_scenarios.h"

namespace velkor::e2e {
namespace {

const ScenarioEntry kScenarios[] = {
    {"driver.selftest", selfTest, "the driver's steps on its own test dialog"},
    {"driver.close", selfTestClose, "a close request to the test dialog, started from another folder"},
    {"welcome", welcomePage, "the welcome page's texts and buttons; Cancel closes the wizard"},
    {"welcome.escape", welcomeEscape, "Esc on the welcome page closes the wizard"},
    {"refusal", refusalPage, "the refusal page of an unsupported system, again after the licence page; \"确定\" closes it"},
    {"licence.back", licenceBack, "the licence page left without acceptance returns to the welcome page"},
    {"licence.cancel", licenceCancel, "Cancel or Esc on the licence page: \"否(&N)\" and Esc stay, \"是(&Y)\" leaves, nothing installed"},
    {"install", fullInstallation, "Next, accept, install (the progress page watched), finish; every result verified"},
    {"install.enter", enterInstallation, "the installation started and finished by Enter"},
    {"finish.escape", finishByEscape, "a whole installation finished by Esc"},
    {"finish.closebox", finishByCloseBox, "a whole installation finished by the close box"},
    {"reinstall", reinstallation, "a whole installation, then a second one over it"},
    {"reinstall.generations", earlierGenerations, "what the four earlier generations left is removed by an installation"},
    {"refusal.enter", refusalEnter, "Enter on a refused window opens the licence page; back, then Esc"},
    {"licence.back-install", backThenInstall, "the licence left without acceptance, then a second Next and an installation"},
};

const ScenarioTable kTables[] = {tableOf(kScenarios), pageScenarios(), variantScenarios(), faultScenarios()};

}  // namespace

const ScenarioEntry* findScenario(const std::string& name) {
  for (const auto& table : kTables)
    for (const ScenarioEntry* s = table.begin; s != table.end; ++s)
      if (name == s->name) return s;
  return nullptr;
}

void listScenarios() {
  std::fputs("scenarios:\n", stderr);
  for (const auto& table : kTables)
    for (const ScenarioEntry* s = table.begin; s != table.end; ++s)
      std::fprintf(stderr, "  %-22s %s\n", s->name, s->summary);
}

}  // namespace velkor::e2e
