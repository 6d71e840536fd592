// The driver's scenarios: each drives one program under test from start to end.
#pragma once

#include <cstddef>
#include <string>

#include "driver.h"

namespace velkor::e2e {

struct Options {
  std::wstring program;           // the program under test (a Windows path)
  std::wstring workingDirectory;  // empty: the program's own folder
  std::wstring copyTo;            // when set, the program is copied here and started from there
};

using ScenarioFunction = void (*)(Driver&, const Options&);

struct ScenarioEntry {
  const char* name;
  ScenarioFunction run;
  const char* summary;
};

// The scenarios one source file defines; each file keeps its own table.
struct ScenarioTable {
  const ScenarioEntry* begin = nullptr;
  const ScenarioEntry* end = nullptr;
};
template <std::size_t N>
constexpr ScenarioTable tableOf(const ScenarioEntry (&entries)[N]) {
  return {entries, entries + N};
}
ScenarioTable pageScenarios();     // page_scenarios.cpp
ScenarioTable variantScenarios();  // variant_scenarios.cpp
ScenarioTable faultScenarios();    // fault_scenarios.cpp

// Every scenario the driver knows, from the files that define them.
const ScenarioEntry* findScenario(const std::string& name);
void listScenarios();

void selfTest(Driver& d, const Options& o);
void selfTestClose(Driver& d, const Options& o);

}  // namespace velkor::e2e
