// The family each demo font part serves once installed: the face names the
// wizard asks for. Shared by the native check of the parts and the Wine test.
#pragma once

namespace velkor::payloadtest {

// By font part number - 1.
inline constexpr const char16_t* kDemoFontFamilies[] = {u"FangSong_GB2312", u"Palace Script MT", u"Microsoft YaHei"};

// Text of the unique-identifier record that marks a part as our demo stand-in.
inline constexpr const char16_t* kDemoFontMarker = u": Velkor demo stand-in";

}  // namespace velkor::payloadtest
