// Developer diagnostics: fixed English texts for whoever watches a debugger.
// They never reach the user and never stop the program. The Win32 side sends
// them to OutputDebugStringW; tests install a sink that records them.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace velkor::trace {

using Sink = std::function<void(std::u16string_view text)>;

// Installs the sink that receives every diagnostic from now on and returns the
// one it replaces. An empty sink drops them.
Sink setSink(Sink sink);

// Hands one diagnostic to the sink. Safe from any thread; never throws.
void emit(std::u16string_view text) noexcept;

// One diagnostic as one line of a line-oriented channel: a line feed is
// added unless the text already ends with one.
std::u16string asLine(std::u16string_view text);

}  // namespace velkor::trace
