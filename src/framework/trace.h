// The framework's diagnostics, through the program's one trace module (which
// the application routes to the debugger). They never reach the user and
// never stop the program.
#pragma once

namespace velkor::fw {

void Trace(const wchar_t* text) noexcept;

// Called in a catch (...) block at one of the program's boundaries (see
// boundary.h): records what escaped and where.
void TraceEscapedException(const wchar_t* where) noexcept;

}  // namespace velkor::fw
