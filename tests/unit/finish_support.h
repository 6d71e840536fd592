// A fake machine for the finish modules: every port they use, sharing one
// journal, with the folders a Windows machine has.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "engine/block_copy.h"
#include "engine/completion.h"
#include "engine/font_step.h"
#include "engine/progress_meter.h"
#include "engine/removal.h"
#include "engine/shortcuts.h"
#include "engine/wizard_state.h"
#include "fakes/fake_fonts.h"
#include "fakes/fake_libraries.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_session.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_system.h"
#include "fakes/fake_main_window.h"

namespace velkor::testing {

inline const std::u16string kDesktop = u"C:\\users\\tester\\Desktop";
inline const std::u16string kPrograms = u"C:\\users\\tester\\Start Menu\\Programs";
inline const std::u16string kFontDir = u"C:\\windows\\Fonts\\";
inline const std::u16string kInstall = u"C:\\Program Files\\VelkorCrypt\\";

struct FinishMachine {
  fakes::FakeSystem system;
  fakes::FakeMainWindow window;
  fakes::FakeRegistry registry;
  fakes::FakeFontTable fonts{system};
  fakes::FakeLibraries libraries{system};
  fakes::FakeSpecialFolders folders;
  fakes::FakeShellLinks links{system};
  fakes::FakeProcesses processes;
  fakes::FakeShellExecutor executor{processes};
  fakes::FakeSession session;
  WizardState state;
  std::vector<std::u16string> journal;

  FinishMachine() {
    system.journal = &journal;
    window.journal = &journal;
    registry.journal = &journal;
    fonts.journal = &journal;
    libraries.journal = &journal;
    folders.journal = &journal;
    links.journal = &journal;
    processes.journal = &journal;
    executor.journal = &journal;
    session.journal = &journal;
    system.addDirectory(u"C:\\windows\\Fonts");
    system.addDirectory(u"C:\\Program Files\\VelkorCrypt");
    system.addDirectory(u"C:\\Downloads");
    system.addDirectory(kDesktop);
    system.addDirectory(kPrograms);
  }

  void setVersion(std::uint32_t major, std::uint32_t minor) { system.version = {major, minor, 0, 2}; }

  Removal removal() {
    return Removal(system, system, fonts, libraries, registry, folders, system, window);
  }
  Completion completion() {
    return Completion(Completion::Ports{system, system, fonts, registry, system, executor,
                                        processes, session, window},
                      state);
  }

  // The journal lines that begin with one of the prefixes, in order.
  std::vector<std::u16string> only(const std::vector<std::u16string>& prefixes) const {
    std::vector<std::u16string> out;
    for (const auto& line : journal)
      if (std::any_of(prefixes.begin(), prefixes.end(),
                      [&](const std::u16string& p) { return line.rfind(p, 0) == 0; }))
        out.push_back(line);
    return out;
  }
};

}  // namespace velkor::testing
