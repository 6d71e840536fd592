#include "platform/win32_trace.h"

#include <windows.h>

#include <string>

#include "engine/trace.h"
#include "framework/text.h"

namespace velkor::win32 {

void routeTraceToDebugger() {
  trace::setSink([](std::u16string_view text) {
    OutputDebugStringW(wide(trace::asLine(text)));
  });
}

}  // namespace velkor::win32
