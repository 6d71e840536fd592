// Scenarios of bad setup files and faults of the machine.
#include "scenarios.h"

namespace velkor::e2e {

ScenarioTable faultScenarios() { return {}; }

}  // namespace velkor::e2e
