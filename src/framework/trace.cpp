#include "framework/trace.h"

#include <windows.h>

#include <exception>
#include <string>

namespace velkor::fw {

void Trace(const wchar_t* text) noexcept { ::OutputDebugStringW(text); }

void TraceEscapedException(const wchar_t* where) noexcept {
  try {
    std::wstring line = L"velkor: exception stopped in ";
    line += where;
    try {
      throw;
    } catch (const std::exception& e) {
      line += L": ";
      for (const char* p = e.what(); *p; ++p) line += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    } catch (...) {
    }
    line += L"\n";
    ::OutputDebugStringW(line.c_str());
  } catch (...) {
    ::OutputDebugStringW(L"velkor: exception stopped in a callback\n");
  }
}

}  // namespace velkor::fw
