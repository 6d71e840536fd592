// Scenarios of installations over prepared machines.
#include "scenarios.h"

namespace velkor::e2e {

ScenarioTable variantScenarios() { return {}; }

}  // namespace velkor::e2e
