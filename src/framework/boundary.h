// The one rule for exceptions where the system calls into the program.
//
// The boundaries are: the dialog procedure, the subclass procedure of bound
// controls, the pre-translation of every message the framework's loops take
// from the queue, the application's idle work, the entry of every worker
// thread, and the program's start.
// No exception crosses one of them: the system's frames cannot be unwound,
// and an exception that leaves a callback ends the process.
//
// Every boundary runs its handler through CallAtBoundary, so every boundary
// treats an escaped exception the same way: it is traced (which boundary, and
// the exception's text when it has one), and the boundary then answers as if
// the handler had declined: a message goes on to the system's or the control
// class's own handling, a pre-translation lets the message be dispatched as
// usual, idle work is dropped, a thread ends normally, the start returns. The boundary repairs no
// state; work that must end in a defined state catches for itself (the
// installation ends as a failed one).
#pragma once

#include "framework/trace.h"

namespace velkor::fw {

// Runs `handler` and returns its result; when it throws, traces the exception
// as escaped at `boundary` and returns `declined()` instead, the answer the
// boundary gives when nobody handles the call. `declined` must not throw.
template <typename Handler, typename Declined>
auto CallAtBoundary(const wchar_t* boundary, Handler&& handler, Declined&& declined) noexcept
    -> decltype(handler()) {
  try {
    return handler();
  } catch (...) {
    TraceEscapedException(boundary);
  }
  return declined();
}

}  // namespace velkor::fw
