// UTF-16 text between the portable core (char16_t) and Win32 (wchar_t): the
// same 16-bit units under MinGW, so only the pointer type changes.
#pragma once

#include <string>

namespace velkor::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

inline const wchar_t* wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline const wchar_t* wide(const std::u16string& text) { return wide(text.c_str()); }
inline const char16_t* utf16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

inline std::u16string utf16(const wchar_t* text, std::size_t length) {
  return std::u16string(utf16(text), length);
}

}  // namespace velkor::win32
