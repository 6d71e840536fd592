// The face-symbol table of the rich text control and the composition of a
// text with faces: every occurrence of a registered symbol is found, the
// occurrences are put in the order in which they are replaced, and their
// positions are corrected for the replacements before them (each replacement
// turns nLength characters into one picture character). The Windows control
// selects each record's characters and inserts the picture there.
//
// Positions and lengths count UTF-16 code units, as the control does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velkor {

// One occurrence of a symbol in the text.
struct stFace {
  std::int32_t nPos = 0;     // character position; after the shift, in the text as shown
  std::int32_t nSymbol = 0;  // index of the symbol in the table; selects the bitmap
  std::int32_t nLength = 0;  // length of the symbol in characters
};

inline bool operator==(const stFace& a, const stFace& b) {
  return a.nPos == b.nPos && a.nSymbol == b.nSymbol && a.nLength == b.nLength;
}

// One line for the diagnostic trace.
using FaceTrace = std::function<void(const std::u16string& line)>;

// Shown when a face's bitmap cannot be loaded, with kFaceErrorCaption.
inline constexpr char16_t kFaceErrorText[] =
    u"无效的HBITMAP类型。\r\n\r\n可能的原因是:\r\n位图文件的路径不正确。";
inline constexpr char16_t kFaceErrorCaption[] = u"HBITMAP";

// Where a symbol's bitmap comes from.
struct FaceBitmap {
  enum class Source { None, Resource, File };
  Source source = Source::None;
  std::uint16_t resourceId = 0;  // the low 16 bits of the stored identifier
  std::u16string path;
};

class FaceTable {
 public:
  // Each form replaces the whole table, symbols and bitmap source together:
  // the identifier form drops any paths, the path form any identifiers. A
  // negative count or a missing array makes an empty table.
  void SetFaces(int n, const std::u16string* symbols, const std::uint32_t* bitmapIds);
  void SetFaces(int n, const std::u16string* symbols, const std::u16string* bitmapPaths);

  int FaceCount() const { return m_nFaceCount; }
  const std::vector<std::u16string>& Symbols() const { return m_pSymbol; }
  const std::vector<std::uint32_t>& BitmapIds() const { return m_pBitmapID; }
  const std::vector<std::u16string>& BitmapPaths() const { return m_pBitmapPath; }
  // The bitmap of entry nSymbol; Source::None for an index outside the table.
  FaceBitmap BitmapFor(std::int32_t nSymbol) const;

  // The table as the trace shows it before a text with faces is set.
  void TraceSymbols(const FaceTrace& trace) const;
  // The records that replace every symbol occurrence of text, in the order
  // they are applied and with shifted positions, tracing the sorted and the
  // shifted positions. Empty when no symbol occurs (nothing more is traced).
  std::vector<stFace> Compose(const std::u16string& text, const FaceTrace& trace) const;

 private:
  void Reset(int n, const std::u16string* symbols);

  int m_nFaceCount = 0;
  std::vector<std::u16string> m_pSymbol;
  std::vector<std::uint32_t> m_pBitmapID;
  std::vector<std::u16string> m_pBitmapPath;
  FaceBitmap::Source m_source = FaceBitmap::Source::None;
};

// Every occurrence of every symbol, overlapping ones included, by symbol in
// table order, then by position. An empty symbol occurs at every position
// from 0 to the text's length.
std::vector<stFace> ScanFaces(const std::u16string& text, const std::vector<std::u16string>& symbols);
// Puts occurrences in position order (at one position the longer symbol
// first, then the earlier table entry) and drops each one that starts inside
// an occurrence already taken, so every replacement lands on its own symbol.
std::vector<stFace> OrderFaces(std::vector<stFace> faces);
// Moves each position left by nLength - 1 for every record before it.
void ShiftFaces(std::vector<stFace>& faces);

}  // namespace velkor
