#include "framework/trace.h"

#include <exception>
#include <string>

#include "engine/trace.h"

namespace velkor::fw {

void Trace(const wchar_t* text) noexcept {
  trace::emit(std::u16string_view(reinterpret_cast<const char16_t*>(text)));
}

void TraceEscapedException(const wchar_t* where) noexcept {
  try {
    std::u16string line = u"velkor: exception stopped in ";
    line += reinterpret_cast<const char16_t*>(where);
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
