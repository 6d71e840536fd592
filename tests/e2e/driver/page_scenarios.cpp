// Scenarios of the wizard's pages, layout and windows.
#include "scenarios.h"

namespace velkor::e2e {

ScenarioTable pageScenarios() { return {}; }

}  // namespace velkor::e2e
