#include "platform/win32_trace.h"

#include <windows.h>

#include <string>

#include "engine/trace.h"

namespace velkor::win32 {

void routeTraceToDebugger() {
  trace::setSink([](std::u16string_view text) {
    std::wstring line(text.begin(), text.end());
    line += L'\n';
    OutputDebugStringW(line.c_str());
  });
}

}  // namespace velkor::win32
