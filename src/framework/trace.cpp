#include "framework/trace.h"

#include <exception>
#include <string>

#include "engine/trace.h"
#include "framework/text.h"

namespace velkor::fw {

void Trace(const wchar_t* text) noexcept {
  trace::emit(std::u16string_view(win32::utf16(text)));
}

void TraceEscapedException(const wchar_t* where) noexcept {
  try {
    std::u16string line = u"velkor: exception stopped in ";
    line += win32::utf16(where);
    try {
      throw;
    } catch (const std::exception& e) {
      line += u": ";
      for (const char* p = e.what(); *p; ++p) line += static_cast<char16_t>(static_cast<unsigned char>(*p));
    } catch (...) {
    }
    trace::emit(line);
  } catch (...) {
    trace::emit(u"velkor: exception stopped in a callback");
  }
}

}  // namespace velkor::fw
