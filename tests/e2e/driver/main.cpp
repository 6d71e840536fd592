// The e2e scenarios' program: its own options, then the one scenario that
// --gtest_filter selects (see scenarios.h).
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "lib/wine_env.h"
#include "scenarios.h"

namespace velkor::e2e {
namespace {

Options g_options;

std::string scenarioName() {
  if (!g_options.scenario.empty()) return g_options.scenario;
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

std::wstring shotsFolder() {
  if (g_options.shots.empty()) return L"";
  // One folder per version and scenario, so runs never mix their pictures.
  return g_options.shots + L"\\" + widen(testenv::currentWindowsVersion().name) + L"\\" + widen(scenarioName());
}

// The wide command line: paths may hold Chinese, which the ANSI argv loses.
bool readOptions() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv != nullptr && i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg.rfind(L"--gtest_", 0) == 0) continue;
    if (arg.rfind(L"--", 0) != 0) {
      if (!g_options.program.empty()) return false;
      g_options.program = windowsPath(utf8(arg));
      continue;
    }
    if (i + 1 >= argc) return false;
    const std::string value = utf8(argv[++i]);
    if (arg == L"--shots") g_options.shots = windowsPath(value);
    else if (arg == L"--cwd") g_options.workingDirectory = windowsPath(value);
    else if (arg == L"--copy-to") g_options.copyTo = windowsPath(value);
    else if (arg == L"--scenario") g_options.scenario = value;
    else return false;
  }
  return !g_options.program.empty();
}

}  // namespace

const Options& options() { return g_options; }

Scenario::Scenario() : o(g_options), d(scenarioName(), shotsFolder()) {}

void Scenario::TearDown() {
  if (!HasFailure()) {
    d.log("PASSED: scenario " + d.scenario());
    return;
  }
  const ::testing::TestResult& result = *::testing::UnitTest::GetInstance()->current_test_info()->result();
  for (int i = 0; i < result.total_part_count(); ++i)
    if (result.GetTestPartResult(i).failed()) d.log(std::string("FAILED: ") + result.GetTestPartResult(i).message());
  d.screenshot(nullptr, "failed");
}

}  // namespace velkor::e2e

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!velkor::e2e::readOptions()) {
    std::fputs("usage: e2e_driver <program> [--scenario name] [--shots folder] [--cwd folder] [--copy-to path]"
               " --gtest_filter=<suite>.<scenario>\n", stderr);
    return 2;
  }
  const int result = RUN_ALL_TESTS();
  // A filter that names no scenario (or several) is a fault of the entry, not a pass.
  const int ran = ::testing::UnitTest::GetInstance()->test_to_run_count();
  if (!::testing::GTEST_FLAG(list_tests) && ran != 1) {
    std::fprintf(stderr, "e2e_driver: the filter selected %d scenarios instead of one\n", ran);
    return 1;
  }
  return result;
}
