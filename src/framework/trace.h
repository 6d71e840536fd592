// The framework's diagnostics, through the program's one trace module (which
// the application routes to the debugger). They never reach the user and
// never stop the program.
#pragma once

namespace velkor::fw {

void Trace(const wchar_t* text) noexcept;

// Called in a catch (...) block of a system callback: records what escaped and
// where, so that no exception crosses into the system.
void TraceEscapedException(const wchar_t* where) noexcept;

}  // namespace velkor::fw
