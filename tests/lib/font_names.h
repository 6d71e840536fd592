// The name table of the font that a face name selects, read through GDI: Wine
// serves a replacement under the requested name, so only the font's own
// bytes tell which file serves it.
#pragma once

#include <windows.h>

#include <string>

namespace velkor::wintest {

// The 'name' table of the font `face` selects at `height` (empty when none).
inline std::string nameTableOf(const wchar_t* face, LONG height = -16) {
  HDC dc = CreateCompatibleDC(nullptr);
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  const DWORD tag = 'n' | ('a' << 8) | ('m' << 16) | ('e' << 24);
  std::string table;
  const DWORD size = GetFontData(dc, tag, 0, nullptr, 0);
  if (size != GDI_ERROR) {
    table.resize(size);
    GetFontData(dc, tag, 0, table.data(), size);
  }
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  return table;
}

// A text as the Windows platform's name records hold it: UTF-16BE.
inline std::string utf16be(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    out += static_cast<char>(c >> 8);
    out += static_cast<char>(c & 0xFF);
  }
  return out;
}

}  // namespace velkor::wintest
