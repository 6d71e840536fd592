// Sends the program's trace diagnostics to the debugger.
#pragma once

namespace velkor::win32 {

// Installs a trace sink that passes each diagnostic, one line each, to
// OutputDebugStringW.
void routeTraceToDebugger();

}  // namespace velkor::win32
