// The main window's port under its earlier name, for code that still uses it.
#pragma once

#include "platform/main_window.h"

namespace velkor {
using WizardView = MainWindow;
}  // namespace velkor
