#include "controls/faceedit/face_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkor {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The control's text as replacements leave it: each cell is a character or
// a picture of a table entry.
struct Cell {
  char16_t ch = 0;
  int picture = -1;
};

// Applies the records one after another the way the rich-edit control does
// (the selection [nPos, nPos + nLength) becomes one object character) and
// checks that each selection holds exactly its own symbol's text.
std::u16string Replace(const std::u16string& text, const std::vector<std::u16string>& symbols,
                       const std::vector<stFace>& faces) {
  std::vector<Cell> cells;
  for (char16_t ch : text) cells.push_back({ch, -1});
  for (const stFace& face : faces) {
    SCOPED_TRACE(face.nPos);
    EXPECT_GE(face.nPos, 0);
    EXPECT_LE(static_cast<std::size_t>(face.nPos) + face.nLength, cells.size());
    if (face.nPos < 0 || static_cast<std::size_t>(face.nPos) + face.nLength > cells.size()) return u"<out of range>";
    std::u16string selected;
    for (int i = 0; i < face.nLength; ++i) {
      const Cell& cell = cells[face.nPos + i];
      selected += cell.picture < 0 ? cell.ch : u'#';
    }
    EXPECT_EQ(selected, symbols.at(face.nSymbol));
    cells.erase(cells.begin() + face.nPos, cells.begin() + face.nPos + face.nLength);
    cells.insert(cells.begin() + face.nPos, Cell{0, face.nSymbol});
  }
  std::u16string shown;
  for (const Cell& cell : cells) {
    if (cell.picture < 0) {
      shown += cell.ch;
    } else {
      shown += u"[" + std::u16string(1, static_cast<char16_t>(u'0' + cell.picture)) + u"]";
    }
  }
  return shown;
}

struct Composed {
  std::vector<stFace> faces;
  std::vector<std::u16string> trace;
};

Composed ComposeWith(const FaceTable& table, const std::u16string& text) {
  Composed out;
  const FaceTrace trace = [&out](const std::u16string& line) { out.trace.push_back(line); };
  table.TraceSymbols(trace);
  out.faces = table.Compose(text, trace);
  return out;
}

FaceTable IdTable(std::vector<std::u16string> symbols, std::vector<std::uint32_t> ids) {
  FaceTable table;
  table.SetFaces(static_cast<int>(symbols.size()), symbols.data(), ids.data());
  return table;
}

std::vector<std::int32_t> Positions(const std::vector<stFace>& faces) {
  std::vector<std::int32_t> positions;
  for (const stFace& face : faces) positions.push_back(face.nPos);
  return positions;
}

TEST(FaceText, WorkedExampleOfTwoSymbols) {
  const std::vector<std::u16string> symbols = {u"AB", u"C"};
  EXPECT_THAT(ScanFaces(u"CABC", symbols),
              ElementsAre(stFace{1, 0, 2}, stFace{0, 1, 1}, stFace{3, 1, 1}));

  const FaceTable table = IdTable(symbols, {1, 2});
  const Composed composed = ComposeWith(table, u"CABC");
  EXPECT_THAT(composed.faces, ElementsAre(stFace{0, 1, 1}, stFace{1, 0, 2}, stFace{2, 1, 1}));
  EXPECT_EQ(Replace(u"CABC", symbols, composed.faces), u"[1][0][1]");
  EXPECT_THAT(composed.trace,
              ElementsAre(u"用户定义的表情符号：\n", u"m_pSymbol[0]:AB\n", u"m_pSymbol[1]:C\n", u"排序之后：\n",
                          u"vecFace[0].nPos = 0\n", u"vecFace[1].nPos = 1\n", u"vecFace[2].nPos = 3\n",
                          u"移位处理之后：\n", u"vecFace[0].nPos = 0\n", u"vecFace[1].nPos = 1\n",
                          u"vecFace[2].nPos = 2\n"));
}

TEST(FaceText, RepeatedSymbolShiftsLaterOccurrences) {
  const FaceTable table = IdTable({u"PicBt"}, {171});
  const Composed between = ComposeWith(table, u"xPicBtyPicBt");
  EXPECT_THAT(between.faces, ElementsAre(stFace{1, 0, 5}, stFace{3, 0, 5}));
  EXPECT_EQ(Replace(u"xPicBtyPicBt", table.Symbols(), between.faces), u"x[0]y[0]");
  EXPECT_THAT(between.trace, ElementsAre(u"用户定义的表情符号：\n", u"m_pSymbol[0]:PicBt\n", u"排序之后：\n",
                                         u"vecFace[0].nPos = 1\n", u"vecFace[1].nPos = 7\n", u"移位处理之后：\n",
                                         u"vecFace[0].nPos = 1\n", u"vecFace[1].nPos = 3\n"));

  const Composed adjacent = ComposeWith(table, u"PicBtPicBt");
  EXPECT_THAT(Positions(adjacent.faces), ElementsAre(0, 1));
  EXPECT_EQ(Replace(u"PicBtPicBt", table.Symbols(), adjacent.faces), u"[0][0]");
}

TEST(FaceText, NoOccurrenceTracesOnlyTheTable) {
  const FaceTable table = IdTable({u"PicBt", u":)"}, {171, 172});
  const Composed composed = ComposeWith(table, u"no symbols here, picbt");  // the search is case-sensitive
  EXPECT_THAT(composed.faces, IsEmpty());
  EXPECT_THAT(composed.trace, ElementsAre(u"用户定义的表情符号：\n", u"m_pSymbol[0]:PicBt\n", u"m_pSymbol[1]::)\n"));

  const FaceTable empty;
  const Composed none = ComposeWith(empty, u"PicBt");
  EXPECT_THAT(none.faces, IsEmpty());
  EXPECT_THAT(none.trace, ElementsAre(u"用户定义的表情符号：\n"));
}

TEST(FaceText, EmptySymbolAloneGivesAPictureAroundEveryCharacter) {
  const FaceTable table = IdTable({u""}, {5});
  const Composed composed = ComposeWith(table, u"abc");
  EXPECT_THAT(composed.faces, ElementsAre(stFace{0, 0, 0}, stFace{2, 0, 0}, stFace{4, 0, 0}, stFace{6, 0, 0}));
  EXPECT_EQ(Replace(u"abc", table.Symbols(), composed.faces), u"[0]a[0]b[0]c[0]");
  EXPECT_THAT(ComposeWith(table, u"").faces, ElementsAre(stFace{0, 0, 0}));
}

TEST(FaceText, OverlappingOccurrencesEachLandOnTheirOwnSymbol) {
  // A symbol that overlaps itself: two colons in a run of three.
  const FaceTable colons = IdTable({u"::"}, {1});
  EXPECT_THAT(ScanFaces(u":::", colons.Symbols()), ElementsAre(stFace{0, 0, 2}, stFace{1, 0, 2}));
  const Composed run = ComposeWith(colons, u":::");
  EXPECT_THAT(run.faces, ElementsAre(stFace{0, 0, 2}));
  EXPECT_EQ(Replace(u":::", colons.Symbols(), run.faces), u"[0]:");
  EXPECT_EQ(Replace(u"::::", colons.Symbols(), ComposeWith(colons, u"::::").faces), u"[0][0]");

  // A symbol inside another: the longer one wins at the same place, the
  // contained one is skipped inside it and kept elsewhere.
  const FaceTable nested = IdTable({u"B", u"ABC"}, {1, 2});
  const Composed both = ComposeWith(nested, u"BABCB");
  EXPECT_EQ(Replace(u"BABCB", nested.Symbols(), both.faces), u"[0][1][0]");
  const FaceTable prefix = IdTable({u"A", u"AB"}, {1, 2});
  EXPECT_EQ(Replace(u"ABA", prefix.Symbols(), ComposeWith(prefix, u"ABA").faces), u"[1][0]");

  // Two symbols that overlap partly: the earlier position wins.
  const FaceTable partial = IdTable({u"BC", u"AB"}, {1, 2});
  EXPECT_EQ(Replace(u"ABCBC", partial.Symbols(), ComposeWith(partial, u"ABCBC").faces), u"[1]C[0]");

  // The same symbol twice in the table: the first entry takes it.
  const FaceTable twice = IdTable({u"xy", u"xy"}, {1, 2});
  EXPECT_EQ(Replace(u"xyxy", twice.Symbols(), ComposeWith(twice, u"xyxy").faces), u"[0][0]");

  // An empty symbol beside others fills only the gaps between them.
  const FaceTable mixed = IdTable({u"", u"ab"}, {1, 2});
  EXPECT_EQ(Replace(u"xab", mixed.Symbols(), ComposeWith(mixed, u"xab").faces), u"[0]x[1][0]");
}

TEST(FaceText, ResourceIdentifiersUseTheirLow16Bits) {
  const FaceTable table = IdTable({u"a", u"b"}, {171, 0x000100ABu});
  EXPECT_THAT(table.BitmapIds(), ElementsAre(171u, 0x000100ABu));  // stored whole
  const FaceBitmap first = table.BitmapFor(0);
  EXPECT_EQ(first.source, FaceBitmap::Source::Resource);
  EXPECT_EQ(first.resourceId, 171u);
  EXPECT_EQ(table.BitmapFor(1).resourceId, 0x00ABu);
  EXPECT_EQ(IdTable({u"c"}, {0xFFFFFFFFu}).BitmapFor(0).resourceId, 0xFFFFu);
  EXPECT_EQ(table.BitmapFor(2).source, FaceBitmap::Source::None);
  EXPECT_EQ(table.BitmapFor(-1).source, FaceBitmap::Source::None);
}

TEST(FaceText, SecondSetFacesReplacesTheWholeTable) {
  FaceTable table = IdTable({u"PicBt", u"X"}, {171, 172});
  const std::u16string symbols[] = {u"Y"};
  const std::u16string paths[] = {u"C:\\faces\\y.bmp"};
  table.SetFaces(1, symbols, paths);
  EXPECT_EQ(table.FaceCount(), 1);
  EXPECT_THAT(table.Symbols(), ElementsAre(u"Y"));
  EXPECT_THAT(table.BitmapIds(), IsEmpty());  // identifiers no longer take precedence
  const FaceBitmap bitmap = table.BitmapFor(0);
  EXPECT_EQ(bitmap.source, FaceBitmap::Source::File);
  EXPECT_EQ(bitmap.path, u"C:\\faces\\y.bmp");
  EXPECT_THAT(ComposeWith(table, u"PicBtY").faces, ElementsAre(stFace{5, 0, 1}));

  const std::u16string again[] = {u"Z", u"W"};
  const std::uint32_t ids[] = {9, 10};
  table.SetFaces(2, again, ids);
  EXPECT_THAT(table.BitmapPaths(), IsEmpty());
  EXPECT_EQ(table.BitmapFor(1).source, FaceBitmap::Source::Resource);
  EXPECT_EQ(table.BitmapFor(1).resourceId, 10u);
  EXPECT_THAT(ComposeWith(table, u"YZ").faces, ElementsAre(stFace{1, 0, 1}));

  table.SetFaces(-3, again, ids);
  EXPECT_EQ(table.FaceCount(), 0);
  EXPECT_THAT(table.Symbols(), IsEmpty());
  table.SetFaces(2, again, static_cast<const std::uint32_t*>(nullptr));
  EXPECT_EQ(table.FaceCount(), 0);
}

TEST(FaceText, PositionsCountUtf16Units) {
  // A character outside the BMP is two units, as the control counts it.
  const FaceTable table = IdTable({u"PicBt"}, {171});
  const std::u16string text = u"\U0001F600PicBt协议PicBt";
  const Composed composed = ComposeWith(table, text);
  EXPECT_THAT(Positions(composed.faces), ElementsAre(2, 5));
  EXPECT_EQ(Replace(text, table.Symbols(), composed.faces), u"\U0001F600[0]协议[0]");
}

}  // namespace
}  // namespace velkor
