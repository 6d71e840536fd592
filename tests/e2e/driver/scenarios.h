// The e2e scenarios as GoogleTest tests: each TEST_F drives one program under
// test from start to end through the fixture's driver `d`, with the program
// and options of its ctest entry in `o`. A ctest entry runs one of them by
// --gtest_filter in a fresh prefix.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "lib/window_driver.h"

namespace velkor::e2e {

using namespace testlib;

// e2e_driver <program> [--scenario name] [--shots folder] [--cwd folder] [--copy-to path] --gtest_filter=...
// Folders may be given as Unix paths (they become paths of the Z: drive).
struct Options {
  std::wstring program;           // the program under test (a Windows path)
  std::wstring workingDirectory;  // empty: the program's own folder
  std::wstring copyTo;            // when set, the program is copied here and started from there
  std::wstring shots;             // screenshots and the log go to <shots>\<version>\<scenario>
  std::string scenario;           // the scenario's name there; the test's name when empty
};
const Options& options();

class Scenario : public ::testing::Test {
 protected:
  Scenario();
  // A failed scenario's messages in its log, and the screen as it was.
  void TearDown() override;

  const Options& o;
  Driver d;
};

using TestDialog = Scenario;  // selftest.cpp
using Wizard = Scenario;      // wizard_scenarios.cpp
using Pages = Scenario;       // page_scenarios.cpp
using Variants = Scenario;    // variant_scenarios.cpp
using Faults = Scenario;      // fault_scenarios.cpp

}  // namespace velkor::e2e
