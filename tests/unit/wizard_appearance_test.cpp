// The dialogs' corrections at initialisation: the net pixel moves per layout
// class, the font heights the divisors give, the font steps with and without
// Yahei, and the text colours.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "wizard/appearance.h"
#include "wizard/control_ids.h"

namespace velkor::wizard {
namespace {

std::u16string num(int v) {
  std::string s = std::to_string(v);
  return std::u16string(s.begin(), s.end());
}

const char16_t* slotName(FontSlot slot) {
  switch (slot) {
    case FontSlot::kText: return u"text";
    case FontSlot::kTitle: return u"title";
    case FontSlot::kLine: return u"line";
  }
  return u"?";
}

// Keeps a log of every operation in a compact form.
class RecordingSurface : public DialogSurface {
 public:
  std::set<std::u16string> files;
  int dpi = 96;
  std::vector<std::u16string> log;
  std::vector<std::u16string> probed;

  void moveItem(const Move& m, DialogMove how) override {
    log.push_back(u"move " + num(m.target) + u" " + num(m.dx) + u" " + num(m.dy) + u" " + num(m.dw) +
                  u" " + num(m.dh) + (how == DialogMove::kResizeOnly ? u" size" : u""));
  }
  bool fileExists(const std::u16string& path) override {
    probed.push_back(path);
    return files.count(path) != 0;
  }
  int logPixelsY() override { return dpi; }
  void createFont(FontSlot slot, const FontRequest& f, int height) override {
    log.push_back(u"font " + std::u16string(slotName(slot)) + u" " + f.face + u" " + num(height) +
                  u" " + num(f.weight) + u" " + num(f.charSet));
  }
  void setFont(int control, FontSlot slot) override {
    log.push_back(u"setFont " + num(control) + u" " + slotName(slot));
  }
  void setText(int control, const std::u16string& text) override {
    log.push_back(u"text " + num(control) + u" " + text);
  }
};

using Log = std::vector<std::u16string>;

TEST(FontHeight, TheDivisorsGiveTheHeightsOfA96DpiScreen) {
  EXPECT_EQ(fontHeight(fonts::kMainLine, 96), -11);
  EXPECT_EQ(fontHeight(fonts::kMainTitle, 96), -14);
  EXPECT_EQ(fontHeight(fonts::kMainTextYahei, 96), -12);
  EXPECT_EQ(fontHeight(fonts::kMainTextArial, 96), -11);
  EXPECT_EQ(fontHeight(fonts::kLicenceTextYahei, 96), -12);
  EXPECT_EQ(fontHeight(fonts::kLicenceTitleYahei, 96), -15);
  EXPECT_EQ(fontHeight(fonts::kLicenceTitlePlain, 96), -15);
  EXPECT_EQ(fontHeight(fonts::kExitTextYahei, 96), -12);
  EXPECT_EQ(fontHeight(fonts::kExitTitlePlain, 96), -14);
  // 120 dpi: 9 x 120 / 75 = 14.4, 11 x 120 / 76 = 17.37, 12 x 120 / 75 = 19.2.
  EXPECT_EQ(fontHeight(fonts::kMainTextYahei, 120), -14);
  EXPECT_EQ(fontHeight(fonts::kMainTitle, 120), -17);
  EXPECT_EQ(fontHeight(fonts::kLicenceTitleYahei, 120), -19);
}

TEST(FontHeight, MulDivRoundsHalfAwayFromZeroAndFailsLikeTheSystem) {
  EXPECT_EQ(mulDiv(7, 1, 2), 4);
  EXPECT_EQ(mulDiv(-7, 1, 2), -4);
  EXPECT_EQ(mulDiv(7, 1, -2), -4);
  EXPECT_EQ(mulDiv(-7, -1, -2), -4);
  EXPECT_EQ(mulDiv(5, 1, 3), 2);
  EXPECT_EQ(mulDiv(3, 5, 0), -1);
  EXPECT_EQ(mulDiv(INT_MAX, 2, 1), -1);
  EXPECT_EQ(mulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX) << "the product is kept in 64 bits";
}

TEST(MainWindowFonts, WithYaheiTheButtonsAndTextsGetItAndTwoTextsChange) {
  for (const char16_t* file : {fonts::kYaheiTtf, fonts::kYaheiTtc}) {
    SCOPED_TRACE(file == fonts::kYaheiTtf ? "MSYH.TTF" : "MSYH.TTC only");
    RecordingSurface s;
    s.files.insert(file);
    EXPECT_TRUE(applyMainWindowFonts(s));
    EXPECT_EQ(s.log, (Log{
                         u"font line FangSong_GB2312 -11 100 134",
                         u"setFont 1014 line",
                         u"font title Times New Roman -14 600 134",
                         u"setFont 1003 title",
                         u"font text Microsoft Yahei -12 400 134",
                         u"text 1002 现在将安装 Velkor超级文件加密器 到您的电脑中。",
                         u"text 1005 单击“下一步”继续, 或单击“取消”退出安装。",
                         u"setFont 1000 text",
                         u"setFont 1001 text",
                         u"move 1005 1 0 0 0",
                         u"setFont 1002 text",
                         u"setFont 1004 text",
                         u"setFont 1005 text",
                         u"setFont 1012 text",
                     }));
  }
}

TEST(MainWindowFonts, WithoutYaheiArialAndTheResourceTextsStay) {
  RecordingSurface s;
  EXPECT_FALSE(applyMainWindowFonts(s));
  EXPECT_EQ(s.probed, (std::vector<std::u16string>{u"C:\\WINDOWS\\Fonts\\MSYH.TTF",
                                                   u"C:\\WINDOWS\\Fonts\\MSYH.TTC"}));
  EXPECT_EQ(s.log, (Log{
                       u"font line FangSong_GB2312 -11 100 134",
                       u"setFont 1014 line",
                       u"font title Times New Roman -14 600 134",
                       u"setFont 1003 title",
                       u"font text Arial -11 400 0",
                       u"setFont 1002 text",
                       u"setFont 1004 text",
                       u"setFont 1005 text",
                       u"setFont 1012 text",
                   }));
}

TEST(YaheiProbe, TheTtcIsLookedForOnlyWithoutTheTtf) {
  RecordingSurface s;
  s.files.insert(fonts::kYaheiTtf);
  EXPECT_TRUE(probeYahei(s));
  EXPECT_EQ(s.probed.size(), 1u);
}

TEST(LicenceFonts, WithAndWithoutYahei) {
  RecordingSurface with;
  with.files.insert(fonts::kYaheiTtf);
  EXPECT_TRUE(applyLicenceFonts(with));
  EXPECT_EQ(with.log, (Log{
                          u"font text Microsoft Yahei -12 400 134",
                          u"setFont 3 text",
                          u"setFont 1 text",
                          u"setFont 1017 text",
                          u"setFont 1010 text",
                          u"setFont 1007 text",
                          u"setFont 2 text",
                          u"font title Microsoft Yahei -15 700 134",
                          u"setFont 1006 title",
                          u"move 2 1 0 0 0",
                          u"move 1010 0 -1 0 0",
                      }));
  RecordingSurface without;
  EXPECT_FALSE(applyLicenceFonts(without));
  EXPECT_EQ(without.log, (Log{u"font title Times New Roman -15 500 134", u"setFont 1006 title"}));
}

TEST(ExitFonts, WithAndWithoutYahei) {
  RecordingSurface with;
  with.files.insert(fonts::kYaheiTtc);
  EXPECT_TRUE(applyExitFonts(with));
  EXPECT_EQ(with.log, (Log{
                          u"font text Microsoft Yahei -12 400 134",
                          u"setFont 1003 text",
                          u"setFont 1 text",
                          u"setFont 2 text",
                          u"setFont 1002 text",
                          u"setFont 1004 text",
                          u"setFont 1005 text",
                      }));
  RecordingSurface without;
  EXPECT_FALSE(applyExitFonts(without));
  EXPECT_EQ(without.log, (Log{u"font text 宋体 -14 600 134", u"setFont 1003 text"}));
}

// The net move of every target after the common table and one class table.
std::map<int, Rect> netMoves(const MoveTable& common, const MoveTable& forClass) {
  std::map<int, Rect> net;
  for (const MoveTable* t : {&common, &forClass})
    for (const Move& m : *t) net[m.target] = applyMove(net[m.target], m);
  return net;
}

struct NetCase {
  LayoutClass layout;
  const char* name;
  std::map<int, Rect> expected;
};

void expectNet(const std::map<int, Rect>& net, const std::map<int, Rect>& expected) {
  for (const auto& [target, rect] : expected) {
    SCOPED_TRACE(target);
    ASSERT_EQ(net.count(target), 1u);
    const Rect& got = net.at(target);
    EXPECT_EQ(got.left, rect.left);
    EXPECT_EQ(got.top, rect.top);
    EXPECT_EQ(got.width, rect.width);
    EXPECT_EQ(got.height, rect.height);
  }
}

TEST(Layout, MainWindowNetMovesPerClass) {
  const std::map<int, Rect> common = {
      {1003, {0, -1, 0, 0}}, {1014, {0, 1, 8, 0}}, {1005, {1, 0, 0, 0}}, {1011, {0, 1, 2, 0}},
      {1012, {0, 0, 0, 2}},  {1018, {100, -18, 0, 0}}};
  const NetCase cases[] = {
      {LayoutClass::k62, "6.2", {{0, {0, 0, 0, 16}}, {1000, {2, 6, -2, 7}}, {1001, {4, 6, -2, 7}}, {1015, {3, 15, 0, 0}}}},
      {LayoutClass::k51, "5.1", {{0, {0, 0, 0, 10}}, {1000, {2, 3, -2, 4}}, {1001, {4, 3, -2, 4}}, {1015, {3, 9, 0, 0}}}},
      {LayoutClass::kOther, "other", {{0, {0, 0, 0, 10}}, {1000, {2, 4, -2, 4}}, {1001, {4, 4, -2, 4}}, {1015, {3, 9, 0, 0}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto net = netMoves(layout::mainCommon(), layout::mainForClass(c.layout));
    expectNet(net, c.expected);
    expectNet(net, common);
    EXPECT_EQ(net.size(), 10u);
  }
}

TEST(Layout, LicencePageNetMovesPerClass) {
  const std::map<int, Rect> common = {{3, {0, 24, 0, 4}},     {1016, {8, 45, 19, 5}}, {1007, {0, 3, -3, 5}},
                                      {1006, {-5, 0, 0, 2}},   {1010, {82, -16, 0, 2}}};
  const NetCase cases[] = {
      {LayoutClass::k62, "6.2", {{0, {0, -46, 0, 34}}, {1, {0, 25, 0, 7}}, {2, {0, 25, 0, 7}}, {1015, {3, 33, 0, 0}}, {1017, {0, 4, 0, 0}}}},
      {LayoutClass::k51, "5.1", {{0, {0, -46, 0, 31}}, {1, {0, 25, 0, 4}}, {2, {0, 25, 0, 4}}, {1015, {3, 30, 0, 0}}, {1017, {0, 3, 0, 0}}}},
      {LayoutClass::kOther, "other", {{0, {0, -46, 0, 31}}, {1, {0, 26, 0, 4}}, {2, {0, 26, 0, 4}}, {1015, {3, 30, 0, 0}}, {1017, {0, 3, 0, 0}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto net = netMoves(layout::licenceCommon(), layout::licenceForClass(c.layout));
    expectNet(net, c.expected);
    expectNet(net, common);
    EXPECT_EQ(net.size(), 10u);
  }
}

TEST(Layout, ExitDialogNetMovesPerClass) {
  const std::map<int, Rect> common = {{1014, {0, 1, 8, 0}}, {1002, {1, 0, 0, 0}}, {1005, {3, 0, 0, 0}},
                                      {1018, {100, -22, 0, 0}}};
  const NetCase cases[] = {
      {LayoutClass::k62, "6.2", {{0, {1, -13, 0, 17}}, {1, {3, 6, -2, 8}}, {2, {4, 6, -2, 8}}, {1015, {3, 16, 0, 0}}}},
      {LayoutClass::k51, "5.1", {{0, {1, -13, 0, 10}}, {1, {3, 3, -2, 5}}, {2, {4, 3, -2, 5}}, {1015, {3, 9, 0, 0}}}},
      {LayoutClass::kOther, "other", {{0, {1, -13, 0, 10}}, {1, {3, 4, -2, 5}}, {2, {4, 4, -2, 5}}, {1015, {3, 9, 0, 0}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto net = netMoves(layout::exitCommon(), layout::exitForClass(c.layout));
    expectNet(net, c.expected);
    expectNet(net, common);
    EXPECT_EQ(net.size(), 8u);
  }
}

TEST(Layout, OnlyTheMainWindowsClassTableResizesTheDialogWithoutMovingIt) {
  for (LayoutClass c : {LayoutClass::k62, LayoutClass::k51, LayoutClass::kOther}) {
    EXPECT_EQ(layout::mainForClass(c).dialogMove, DialogMove::kResizeOnly);
    EXPECT_EQ(layout::licenceForClass(c).dialogMove, DialogMove::kMoveWindow);
    EXPECT_EQ(layout::exitForClass(c).dialogMove, DialogMove::kMoveWindow);
  }
  EXPECT_EQ(layout::mainCommon().dialogMove, DialogMove::kMoveWindow);
  RecordingSurface s;
  applyMoves(s, layout::mainForClass(LayoutClass::k51));
  EXPECT_EQ(s.log.front(), u"move 0 0 0 0 3 size") << "the table's own rows in its order";
  EXPECT_EQ(s.log.size(), 4u);
}

TEST(Layout, ALayoutMovesTheControlsRowByRowAndTheDialogOnceByTheTablesSum) {
  struct Dialog {
    const char* name;
    MoveTable (*common)();
    MoveTable (*forClass)(LayoutClass);
  };
  for (const Dialog& d : {Dialog{"main", layout::mainCommon, layout::mainForClass},
                          Dialog{"licence", layout::licenceCommon, layout::licenceForClass},
                          Dialog{"exit", layout::exitCommon, layout::exitForClass}}) {
    for (LayoutClass c : {LayoutClass::k62, LayoutClass::k51, LayoutClass::kOther}) {
      SCOPED_TRACE(std::string(d.name) + " " + std::to_string(static_cast<int>(c)));
      RecordingSurface rows, layout;
      for (const MoveTable& t : {d.common(), d.forClass(c)}) applyMoves(rows, t);
      applyLayout(layout, d.common(), d.forClass(c));
      std::vector<std::u16string> controls;
      for (const std::u16string& line : rows.log)
        if (line.rfind(u"move 0 ", 0) != 0) controls.push_back(line);
      ASSERT_EQ(layout.log.size(), controls.size() + 1);
      EXPECT_EQ(std::vector<std::u16string>(layout.log.begin(), layout.log.end() - 1), controls);
      // Carried out as the class table's dialog row, which decides whether
      // the hidden window is activated.
      const Rect net = netMoves(d.common(), d.forClass(c)).at(0);
      const bool resizeOnly = d.forClass(c).dialogMove == DialogMove::kResizeOnly;
      EXPECT_EQ(layout.log.back(), u"move 0 " + num(net.left) + u" " + num(net.top) + u" " + num(net.width) + u" " +
                                       num(net.height) + (resizeOnly ? u" size" : u""));
    }
  }
  RecordingSurface main;
  applyLayout(main, layout::mainCommon(), layout::mainForClass(LayoutClass::k62));
  EXPECT_EQ(main.log.back(), u"move 0 0 0 0 16 size") << "7 + 9 higher, where it stands";
  // A table that moves the dialog before one that only resizes it.
  const Move moved[] = {{0, 5, -4, 0, 2}};
  const Move resized[] = {{0, 0, 0, 1, 3}};
  RecordingSurface both;
  applyLayout(both, {moved, 1, DialogMove::kMoveWindow}, {resized, 1, DialogMove::kResizeOnly});
  EXPECT_EQ(both.log, (std::vector<std::u16string>{u"move 0 5 -4 0 0", u"move 0 0 0 1 5 size"}));
  RecordingSurface licence;
  applyLayout(licence, layout::licenceCommon(), layout::licenceForClass(LayoutClass::k51));
  EXPECT_EQ(licence.log.back(), u"move 0 0 -46 0 31");
}

// At 120 and 144 dpi every pixel of a table is scaled as the dialog's own
// units are, rounded half away from zero; the dialog's sum is of the scaled
// rows, so it is where the rows one by one would leave it. At 96 dpi nothing
// changes (the tests above).
TEST(Layout, MovesScaleWithTheDialogsDpi) {
  EXPECT_EQ(scaleMove({7, 1, -1, 3, -46}, 96).dh, -46);
  const Move at120 = scaleMove({7, 1, -1, 3, -46}, 120);
  EXPECT_EQ((std::vector<int>{at120.target, at120.dx, at120.dy, at120.dw, at120.dh}),
            (std::vector<int>{7, 1, -1, 4, -58}));
  const Move at144 = scaleMove({7, 1, -1, 3, -46}, 144);
  EXPECT_EQ((std::vector<int>{at144.dx, at144.dy, at144.dw, at144.dh}), (std::vector<int>{2, -2, 5, -69}));

  for (int dpi : {120, 144}) {
    SCOPED_TRACE(dpi);
    RecordingSurface scaled;
    scaled.dpi = dpi;
    applyLayout(scaled, layout::licenceCommon(), layout::licenceForClass(LayoutClass::k51));
    Move dialog{0, 0, 0, 0, 0};
    std::vector<std::u16string> controls;
    for (const MoveTable& t : {layout::licenceCommon(), layout::licenceForClass(LayoutClass::k51)})
      for (const Move& row : t) {
        const Move m = scaleMove(row, dpi);
        if (m.target == 0) {
          dialog.dx += m.dx, dialog.dy += m.dy, dialog.dw += m.dw, dialog.dh += m.dh;
          continue;
        }
        controls.push_back(u"move " + num(m.target) + u" " + num(m.dx) + u" " + num(m.dy) + u" " + num(m.dw) +
                           u" " + num(m.dh));
      }
    controls.push_back(u"move 0 " + num(dialog.dx) + u" " + num(dialog.dy) + u" " + num(dialog.dw) + u" " +
                       num(dialog.dh));
    EXPECT_EQ(scaled.log, controls);
    EXPECT_NE(scaled.log.back(), u"move 0 0 -46 0 31") << "the 96-dpi sum";
  }
}

TEST(Colours, StaticTextsAreDarkGreyAndOtherControlsKeepTheSystemsColours) {
  for (int id : {1002, 1003, 1004, 1005, 1012}) EXPECT_EQ(mainTextColour(id), (Rgb{65, 65, 65})) << id;
  for (int id : {1000, 1001, 1011, 1013, 1014, 1015, 1018}) EXPECT_FALSE(mainTextColour(id)) << id;
  EXPECT_EQ(licenceTextColour(1006), (Rgb{100, 102, 100}));
  for (int id : {1010, 1017}) EXPECT_EQ(licenceTextColour(id), (Rgb{55, 55, 55})) << id;
  for (int id : {1, 2, 3, 1007, 1015, 1016}) EXPECT_FALSE(licenceTextColour(id)) << id;
  for (int id : {1002, 1003, 1004, 1005}) EXPECT_EQ(exitTextColour(id), (Rgb{55, 55, 55})) << id;
  for (int id : {1, 2, 1013, 1014, 1015, 1018}) EXPECT_FALSE(exitTextColour(id)) << id;
}

}  // namespace
}  // namespace velkor::wizard

namespace velkor::wizard {
namespace {

TEST(Placement, APageIsShiftedOntoTheWorkAreaAsLittleAsPossible) {
  const Rect area{0, 0, 1024, 738};
  EXPECT_EQ(keepInside({100, 50, 400, 300}, area), (Rect{100, 50, 400, 300})) << "inside: unchanged";
  EXPECT_EQ(keepInside({0, -46, 479, 347}, area), (Rect{0, 0, 479, 347})) << "lifted above the top";
  EXPECT_EQ(keepInside({900, 600, 400, 300}, area), (Rect{624, 438, 400, 300}));
  EXPECT_EQ(keepInside({-10, 20, 2000, 300}, area), (Rect{0, 20, 2000, 300})) << "too wide: the left edge shows";
  EXPECT_EQ(keepInside({5, 5, 10, 10}, Rect{100, 40, 800, 600}), (Rect{100, 40, 10, 10}));
}

}  // namespace
}  // namespace velkor::wizard
