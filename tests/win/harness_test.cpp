// The Wine harness itself: the version each run asks for is the one the
// program sees, and the wizard's font faces resolve to fonts with Chinese glyphs.
#include <windows.h>

#include <gtest/gtest.h>

#include "lib/font_names.h"
#include "lib/wine_env.h"

namespace {

using velkor::testenv::currentWindowsVersion;

TEST(WineHarness, ReportsTheRequestedWindowsVersion) {
  const auto& want = currentWindowsVersion();
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(info.dwMajorVersion, want.major) << want.name;
  EXPECT_EQ(info.dwMinorVersion, want.minor) << want.name;
  EXPECT_EQ(info.dwPlatformId, want.platform) << want.name;
}

// The glyph index of U+4E2D in the font that a face name resolves to.
WORD glyphOfZhong(const wchar_t* face) {
  HDC dc = CreateCompatibleDC(nullptr);
  LOGFONTW lf{};
  lf.lfHeight = -16;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  WORD glyph = 0xFFFF;
  GetGlyphIndicesW(dc, L"\x4E2D", 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  return glyph;
}

TEST(WineHarness, WizardFacesDrawChinese) {
  for (const wchar_t* face : {L"Microsoft YaHei", L"\x5B8B\x4F53", L"FangSong_GB2312", L"Tahoma", L"Arial"}) {
    SCOPED_TRACE(testing::Message() << "face #" << (face[0] & 0xFFFF));
    EXPECT_NE(glyphOfZhong(face), 0xFFFF);
  }
}

// Whether the font file behind a face name has `family` in its name table.
bool servedBy(const wchar_t* face, const std::wstring& family) {
  return velkor::wintest::nameTableOf(face).find(velkor::wintest::utf16be(family)) != std::string::npos;
}

TEST(WineHarness, LatinFacesAreMapped) {
  EXPECT_TRUE(servedBy(L"Times New Roman", L"Liberation Serif"));
  EXPECT_FALSE(servedBy(L"Tahoma", L"Liberation Serif"));
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
