// e2e_driver <scenario> <program> [--shots <folder>] [--cwd <folder>] [--copy-to <path>]
// Runs one scenario against a program under test in the same Wine prefix.
// Folders may be given as Unix paths (they become paths of the Z: drive).
// Exit code 0 when every step held, 1 when one failed, 2 on a usage error.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "lib/wine_env.h"
#include "scenarios.h"

namespace {

int usage() {
  std::fputs("usage: e2e_driver <scenario> <program> [--shots folder] [--cwd folder] [--copy-to path]\n", stderr);
  velkor::e2e::listScenarios();
  return 2;
}

}  // namespace

int main() {
  using namespace velkor::e2e;
  // The wide command line: paths may hold Chinese, which the ANSI argv loses.
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 3) return usage();
  const std::string name = utf8(argv[1]);
  const ScenarioEntry* scenario = findScenario(name);
  if (scenario == nullptr) {
    std::fprintf(stderr, "e2e_driver: unknown scenario \"%s\"\n", name.c_str());
    return usage();
  }
  Options options;
  options.program = windowsPath(utf8(argv[2]));
  std::wstring shots;
  for (int i = 3; i < argc; ++i) {
    const std::wstring flag = argv[i];
    if (i + 1 >= argc) return usage();
    const std::wstring value = windowsPath(utf8(argv[++i]));
    if (flag == L"--shots") shots = value;
    else if (flag == L"--cwd") options.workingDirectory = value;
    else if (flag == L"--copy-to") options.copyTo = value;
    else return usage();
  }
  // One folder per version and scenario, so runs never mix their pictures.
  if (!shots.empty())
    shots += L"\\" + widen(velkor::testenv::currentWindowsVersion().name) + L"\\" + widen(scenario->name);
  Driver driver(scenario->name, shots);
  try {
    scenario->run(driver, options);
  } catch (const StepFailure& failure) {
    driver.log(std::string("FAILED: ") + failure.what());
    driver.screenshot(nullptr, "failed");
    return 1;
  } catch (const std::exception& error) {
    driver.log(std::string("FAILED: scenario ") + scenario->name + ": " + error.what());
    return 1;
  }
  driver.log(std::string("PASSED: scenario ") + scenario->name);
  return 0;
}
