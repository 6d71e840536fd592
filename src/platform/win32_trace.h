// Sends the program's trace diagnostics to the debugger.
#pragma once

namespace velkor::win32 {

// Installs a trace sink that passes each diagnostic to OutputDebugStringW as
// exactly one line.
void routeTraceToDebugger();

}  // namespace velkor::win32
