// The payload behind the setup's image: nine members stored end to end, found
// by fixed offsets from the payload's end. Nothing in the payload says where a
// member is; this table is the only place that knows. The payload tool writes
// by it and the engine extracts by it.
#pragma once

#include <array>
#include <cstdint>

namespace velkor::payload {

inline constexpr std::uint32_t kPayloadSize = 57'549'929;

enum class MemberKind : std::uint8_t {
  GuiProgram,      // 32-bit Windows GUI program ("MZ")
  ConsoleProgram,  // 32-bit Windows console program
  Library,         // 32-bit Windows library
  FontBundle,      // three TrueType fonts end to end, not a library
  SkinData,        // data file beginning with 2E 53 48 45
};

struct Member {
  int number;                  // 1..9, the extraction order
  const char16_t* destination; // full path in the install directory
  const char16_t* fileName;    // its file name alone
  std::int32_t start;          // first byte, as a (negative) offset from the payload's end
  std::uint32_t length;
  MemberKind kind;
  bool failsInstallWhenUnopenable;  // the four programs
};

inline constexpr std::array<Member, 9> kMembers = {{
    {1, u"C:\\Program Files\\VelkorCrypt\\Unins000.exe", u"Unins000.exe", -0x221000, 0x221000, MemberKind::GuiProgram, true},
    {2, u"C:\\Program Files\\VelkorCrypt\\VelkorShredder.exe", u"VelkorShredder.exe", -0x768600, 0x547600, MemberKind::GuiProgram, true},
    {3, u"C:\\Program Files\\VelkorCrypt\\Velkorsys.dll", u"Velkorsys.dll", -0x199DAEC, 0x12354EC, MemberKind::FontBundle, false},
    {4, u"C:\\Program Files\\VelkorCrypt\\VelkorLock.exe", u"VelkorLock.exe", -0x1BC4EEC, 0x227400, MemberKind::GuiProgram, true},
    {5, u"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe", u"VelkorCrypt.exe", -0x27F80EC, 0xC33200, MemberKind::GuiProgram, true},
    {6, u"C:\\Program Files\\VelkorCrypt\\SkinHu.dll", u"SkinHu.dll", -0x280DAEC, 0x15A00, MemberKind::Library, false},
    {7, u"C:\\Program Files\\VelkorCrypt\\skinh.she", u"skinh.she", -0x2812469, 0x497D, MemberKind::SkinData, false},
    {8, u"C:\\Program Files\\VelkorCrypt\\MediaInfo.dll", u"MediaInfo.dll", -0x2B24469, 0x312000, MemberKind::Library, false},
    {9, u"C:\\Program Files\\VelkorCrypt\\ffmpeg.exe", u"ffmpeg.exe", -0x36E2469, 0xBBE000, MemberKind::ConsoleProgram, false},
}};

// Offset of a member's first byte from the payload's first byte.
constexpr std::uint32_t offsetInPayload(const Member& m) {
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(kPayloadSize) + m.start);
}

inline constexpr std::uint8_t kSkinDataMagic[4] = {0x2E, 0x53, 0x48, 0x45};

// The font bundle (member 3): three TrueType files end to end, no header.
struct FontPart {
  int number;                // 1..3
  std::uint32_t offset;      // in the bundle
  std::uint32_t length;
  const char16_t* fileName;  // installed under this name
};

inline constexpr std::array<FontPart, 3> kFontParts = {{
    {1, 0, 3'996'872, u"simfang.ttf"},
    {2, 3'996'872, 51'404, u"PALSCRI.TTF"},
    {3, 4'048'276, 15'044'440, u"MSYH.TTF"},
}};

inline constexpr std::uint8_t kTrueTypeTag[4] = {0x00, 0x01, 0x00, 0x00};

inline constexpr const Member& kFontBundle = kMembers[2];

// The table's invariants, checked where the table is defined.
constexpr bool membersAreContiguous() {
  std::int64_t end = 0;  // member 1 ends at the payload's last byte
  std::uint64_t total = 0;
  for (const auto& m : kMembers) {
    if (m.start + static_cast<std::int64_t>(m.length) != end) return false;
    end = m.start;
    total += m.length;
  }
  return end == -static_cast<std::int64_t>(kPayloadSize) && total == kPayloadSize;
}
static_assert(membersAreContiguous(), "members must tile the payload from its end");

constexpr bool fontPartsTileTheBundle() {
  std::uint32_t at = 0;
  for (const auto& p : kFontParts) {
    if (p.offset != at) return false;
    at += p.length;
  }
  return at == 3'996'872u + 51'404u + 15'044'440u && at <= kFontBundle.length;
}
static_assert(fontPartsTileTheBundle(), "font parts lie end to end inside the bundle");

}  // namespace velkor::payload
