// CFaceEdit on the real "RICHEDIT" class: symbols become static picture
// objects at the places where they began, a bitmap that cannot be loaded is
// reported once and leaves the rest of the text, plain texts stay unchanged,
// and nothing the insertion makes outlives the pictures.
//
// Wine reports an object's character as U+0020 and Windows as U+FFFC, so the
// objects are found through IRichEditOle (count and positions), not by code
// point.
#include <windows.h>
#include <ole2.h>
#include <richedit.h>
#include <richole.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "controls/faceedit/face_edit.h"
#include "framework/system_library.h"

namespace {

using velkor::CFaceEdit;
using velkor::InsertBitmapObject;

constexpr UINT kSmile = 301;  // 24 x 18, magenta
constexpr UINT kPlus = 302;   // 20 x 16, teal
constexpr UINT kNoSuchBitmap = 999;
constexpr SIZE kSmileSize{24, 18};
constexpr SIZE kPlusSize{20, 16};
constexpr COLORREF kSmileFill = RGB(0xFF, 0x00, 0xFF);
constexpr COLORREF kPlusFill = RGB(0x00, 0xC8, 0xC8);

std::wstring g_smilePath;  // the test bitmaps as files, from the command line
std::wstring g_plusPath;

std::wstring Wide(const char16_t* text) {
  std::wstring wide;
  for (; *text; ++text) wide += static_cast<wchar_t>(*text);
  return wide;
}

template <class T>
struct Released {
  T* p = nullptr;
  ~Released() {
    if (p) p->Release();
  }
};

// What one message box showed; the hook closes every box it sees.
struct SeenBox {
  std::wstring caption;
  std::wstring text;
  HWND owner = nullptr;
  bool errorIcon = false;
};
std::vector<SeenBox>* g_boxes = nullptr;
HHOOK g_hook = nullptr;

BOOL CALLBACK FindErrorIcon(HWND child, LPARAM found) {
  const HICON icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
  if (icon != nullptr && icon == ::LoadIconW(nullptr, IDI_HAND)) *reinterpret_cast<bool*>(found) = true;
  return TRUE;
}

LRESULT CALLBACK AfterDialogInit(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == WM_INITDIALOG && g_boxes != nullptr) {
    wchar_t cls[16] = {};
    ::GetClassNameW(call->hwnd, cls, 16);
    if (std::wstring(cls) == L"#32770") {
      SeenBox box;
      wchar_t buffer[512] = {};
      ::GetWindowTextW(call->hwnd, buffer, 512);
      box.caption = buffer;
      buffer[0] = L'\0';
      ::GetDlgItemTextW(call->hwnd, 0xFFFF, buffer, 512);
      box.text = buffer;
      box.owner = ::GetWindow(call->hwnd, GW_OWNER);
      ::EnumChildWindows(call->hwnd, FindErrorIcon, reinterpret_cast<LPARAM>(&box.errorIcon));
      g_boxes->push_back(box);
      ::PostMessageW(call->hwnd, WM_COMMAND, IDOK, 0);
    }
  }
  return ::CallNextHookEx(g_hook, code, wParam, lParam);
}

// Records and closes the message boxes of this thread while it lives.
class MessageBoxWatch {
 public:
  MessageBoxWatch() {
    g_boxes = &boxes;
    g_hook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, AfterDialogInit, nullptr, ::GetCurrentThreadId());
  }
  ~MessageBoxWatch() {
    ::UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    g_boxes = nullptr;
  }
  std::vector<SeenBox> boxes;
};

// Free slots of this process's GDI handle table: every slot a region can
// take, given back at once. Two counts differ by the handles made between.
size_t FreeGdiSlots() {
  std::vector<HRGN> made;
  made.reserve(70000);
  for (HRGN region; made.size() < 200000 && (region = ::CreateRectRgn(0, 0, 1, 1)) != nullptr;)
    made.push_back(region);
  for (HRGN region : made) ::DeleteObject(region);
  return made.size();
}

class FaceEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static const ATOM hostClass = [] {
      WNDCLASSW cls{};
      cls.lpfnWndProc = ::DefWindowProcW;
      cls.hInstance = ::GetModuleHandleW(nullptr);
      cls.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
      cls.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
      cls.lpszClassName = L"velkor.face.host";
      return ::RegisterClassW(&cls);
    }();
    ASSERT_NE(hostClass, 0);
    host_ = ::CreateWindowExW(0, L"velkor.face.host", L"CFaceEdit", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                              460, 200, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host_, nullptr);
    HWND edit = CreateEdit(L"RICHEDIT");
    ASSERT_NE(edit, nullptr) << "the rich-edit class is registered by riched32.dll";
    ASSERT_TRUE(face_.SubclassWindow(edit));
  }
  void TearDown() override {
    if (host_ != nullptr) ::DestroyWindow(host_);
  }

  HWND CreateEdit(const wchar_t* cls) {
    return ::CreateWindowExW(0, cls, L"",
                             WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                             8, 8, 430, 140, host_, reinterpret_cast<HMENU>(1007),
                             ::GetModuleHandleW(nullptr), nullptr);
  }

  void SetIdFaces(std::vector<std::wstring> symbols, std::vector<UINT> ids) {
    ASSERT_EQ(symbols.size(), ids.size());
    face_.SetFaces(static_cast<int>(symbols.size()), symbols.data(), ids.data());
  }

  IRichEditOle* Ole() {
    IRichEditOle* ole = face_.GetIRichEditOle();
    EXPECT_NE(ole, nullptr);
    return ole;
  }
  LONG ObjectCount() {
    Released<IRichEditOle> ole{Ole()};
    return ole.p ? ole.p->GetObjectCount() : -1;
  }
  std::vector<LONG> ObjectPositions() {
    std::vector<LONG> positions;
    Released<IRichEditOle> ole{Ole()};
    if (!ole.p) return positions;
    for (LONG i = 0; i < ole.p->GetObjectCount(); ++i) {
      REOBJECT reobject{};
      reobject.cbStruct = sizeof(reobject);
      EXPECT_EQ(ole.p->GetObject(i, &reobject, REO_GETOBJ_NO_INTERFACES), S_OK);
      positions.push_back(reobject.cp);
    }
    return positions;
  }
  // Each object's picture size in pixels (its extent at 96 dpi).
  std::vector<SIZE> ObjectSizes() {
    std::vector<SIZE> sizes;
    Released<IRichEditOle> ole{Ole()};
    if (!ole.p) return sizes;
    for (LONG i = 0; i < ole.p->GetObjectCount(); ++i) {
      REOBJECT reobject{};
      reobject.cbStruct = sizeof(reobject);
      EXPECT_EQ(ole.p->GetObject(i, &reobject, REO_GETOBJ_POLEOBJ), S_OK);
      Released<IOleObject> object{reobject.poleobj};
      SIZEL extent{};
      if (object.p) {
        EXPECT_EQ(object.p->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
      }
      sizes.push_back({::MulDiv(extent.cx, 96, 2540), ::MulDiv(extent.cy, 96, 2540)});
    }
    return sizes;
  }
  // The control's text with every object character shown as '#'.
  std::wstring Shown() {
    std::wstring text = face_.GetTextW();
    for (LONG cp : ObjectPositions()) {
      if (cp < 0 || cp >= static_cast<LONG>(text.size())) {
        ADD_FAILURE() << "object at " << cp << " outside a text of " << text.size();
        continue;
      }
      const wchar_t c = text[static_cast<size_t>(cp)];
      EXPECT_TRUE(c == 0xFFFC || c == L' ') << "object character " << std::hex << static_cast<unsigned>(c);
      text[static_cast<size_t>(cp)] = L'#';
    }
    return text;
  }

  HWND host_ = nullptr;
  CFaceEdit face_;
};

bool SameSize(SIZE a, SIZE b) { return a.cx == b.cx && a.cy == b.cy; }

std::wstring Printable(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\r') out += L"\\r";
    else if (c == L'\n') out += L"\\n";
    else out += c;
  }
  return out;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += (c < 0x80) ? static_cast<char>(c) : '?';
  return out;
}

#define EXPECT_SHOWN(expected) EXPECT_EQ(Narrow(Printable(Shown())), Narrow(Printable(expected)))

// --- pictures in place of symbols --------------------------------------------

using FacePictures = FaceEditTest;

TEST_F(FacePictures, TwoSymbolsBecomeTwoPicturesWhereTheyBegan) {
  SetIdFaces({L"[smile]", L"<+>"}, {kSmile, kPlus});
  const std::wstring text = L"ab[smile]cd<+>ef";
  EXPECT_TRUE(face_.ShowText(text, TRUE));
  // Each replacement takes nLength - 1 characters away.
  EXPECT_EQ(face_.GetTextW().size(), text.size() - (7 - 1) - (3 - 1));
  EXPECT_EQ(ObjectCount(), 2);
  EXPECT_EQ(ObjectPositions(), (std::vector<LONG>{2, 5}));
  EXPECT_SHOWN(L"ab#cd#ef");
  const std::vector<SIZE> sizes = ObjectSizes();
  ASSERT_EQ(sizes.size(), 2u);
  EXPECT_TRUE(SameSize(sizes[0], kSmileSize)) << sizes[0].cx << "x" << sizes[0].cy;
  EXPECT_TRUE(SameSize(sizes[1], kPlusSize)) << sizes[1].cx << "x" << sizes[1].cy;
}

TEST_F(FacePictures, EveryPictureIsTheOneOfItsOwnSymbol) {
  // Scanned by symbol (AB at 1, C at 0 and 3), applied by position.
  SetIdFaces({L"AB", L"C"}, {kSmile, kPlus});
  EXPECT_TRUE(face_.ShowText(L"CABC", TRUE));
  EXPECT_SHOWN(L"###");
  const std::vector<SIZE> sizes = ObjectSizes();
  ASSERT_EQ(sizes.size(), 3u);
  EXPECT_TRUE(SameSize(sizes[0], kPlusSize));
  EXPECT_TRUE(SameSize(sizes[1], kSmileSize));
  EXPECT_TRUE(SameSize(sizes[2], kPlusSize));
}

TEST_F(FacePictures, RepeatedAndAdjacentSymbols) {
  SetIdFaces({L"PicBt"}, {kSmile});
  EXPECT_TRUE(face_.ShowText(L"xPicBtyPicBt", TRUE));
  EXPECT_EQ(ObjectPositions(), (std::vector<LONG>{1, 3}));
  EXPECT_SHOWN(L"x#y#");

  // A new text replaces the old one, pictures included.
  EXPECT_TRUE(face_.ShowText(L"PicBtPicBt", TRUE));
  EXPECT_EQ(ObjectCount(), 2);
  EXPECT_SHOWN(L"##");
}

TEST_F(FacePictures, OverlappingOccurrencesEachLandOnTheirOwnSymbol) {
  // A symbol overlapping itself: the first occurrence is taken, the one that
  // starts inside it is not.
  SetIdFaces({L"::"}, {kSmile});
  EXPECT_TRUE(face_.ShowText(L"a:::b::", TRUE));
  EXPECT_SHOWN(L"a#:b#");

  // A symbol inside another: the longer one wins where both start.
  SetIdFaces({L"Pic", L"PicBt"}, {kPlus, kSmile});
  EXPECT_TRUE(face_.ShowText(L"xPicBtyPicz", TRUE));
  EXPECT_SHOWN(L"x#y#z");
  const std::vector<SIZE> sizes = ObjectSizes();
  ASSERT_EQ(sizes.size(), 2u);
  EXPECT_TRUE(SameSize(sizes[0], kSmileSize));
  EXPECT_TRUE(SameSize(sizes[1], kPlusSize));
}

TEST_F(FacePictures, AnIdentifierAbove65535LoadsTheResourceOfItsLow16Bits) {
  SetIdFaces({L"PicBt"}, {0x10000u + kSmile});
  EXPECT_TRUE(face_.ShowText(L"[PicBt]", TRUE));
  EXPECT_SHOWN(L"[#]");
  const std::vector<SIZE> sizes = ObjectSizes();
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_TRUE(SameSize(sizes[0], kSmileSize));
}

TEST_F(FacePictures, ThePathFormLoadsEachFileAtItsOwnSize) {
  ASSERT_FALSE(g_smilePath.empty()) << "the bitmap files are given on the command line";
  const std::wstring symbols[] = {L"(s)", L"(p)"};
  const std::wstring paths[] = {g_smilePath, g_plusPath};
  face_.SetFaces(2, symbols, paths);
  EXPECT_TRUE(face_.ShowText(L"(p)-(s)", TRUE));
  EXPECT_SHOWN(L"#-#");
  const std::vector<SIZE> sizes = ObjectSizes();
  ASSERT_EQ(sizes.size(), 2u);
  EXPECT_TRUE(SameSize(sizes[0], kPlusSize)) << sizes[0].cx << "x" << sizes[0].cy;
  EXPECT_TRUE(SameSize(sizes[1], kSmileSize)) << sizes[1].cx << "x" << sizes[1].cy;
}

TEST_F(FacePictures, ThePathFormReplacesAnEarlierIdentifierTable) {
  ASSERT_FALSE(g_smilePath.empty());
  SetIdFaces({L"(s)"}, {kNoSuchBitmap});
  const std::wstring symbols[] = {L"(s)"};
  const std::wstring paths[] = {g_smilePath};
  face_.SetFaces(1, symbols, paths);
  MessageBoxWatch watch;
  EXPECT_TRUE(face_.ShowText(L"a(s)", TRUE));
  EXPECT_TRUE(watch.boxes.empty()) << "the identifier of the earlier table is not used";
  EXPECT_SHOWN(L"a#");
}

TEST_F(FacePictures, LineBreaksDoNotMoveThePictures) {
  SetIdFaces({L"PicBt"}, {kSmile});
  EXPECT_TRUE(face_.ShowText(L"a\r\nPicBt\nb\rPicBt\r\nc", TRUE));
  EXPECT_EQ(ObjectCount(), 2);
  const std::wstring shown = Shown();
  EXPECT_EQ(shown.find(L'P'), std::wstring::npos) << Narrow(Printable(shown));
  EXPECT_EQ(shown.find(L't'), std::wstring::npos) << Narrow(Printable(shown));
  EXPECT_EQ(shown.back(), L'c');
}

TEST_F(FacePictures, ChineseTextAroundASymbolStaysWhole) {
  SetIdFaces({L"PicBt"}, {kSmile});
  EXPECT_TRUE(face_.ShowText(L"《软件许可协议》PicBt：重要提示\n第二行", TRUE));
  EXPECT_EQ(Shown(), L"《软件许可协议》#：重要提示\n第二行");
}

// --- a bitmap that cannot be loaded ------------------------------------------

using FaceMissingBitmap = FaceEditTest;

TEST_F(FaceMissingBitmap, OneMessageBoxAndTheRestOfTheTextStays) {
  SetIdFaces({L"[a]", L"[b]", L"[c]"}, {kSmile, kNoSuchBitmap, kPlus});
  MessageBoxWatch watch;
  EXPECT_TRUE(face_.ShowText(L"1[a]2[b]3[c]4", TRUE)) << "the operation ends normally";
  ASSERT_EQ(watch.boxes.size(), 1u);
  const SeenBox& box = watch.boxes[0];
  EXPECT_EQ(box.caption, Wide(velkor::kFaceErrorCaption));
  EXPECT_EQ(box.caption, L"HBITMAP");
  EXPECT_EQ(box.text, L"无效的HBITMAP类型。\r\n\r\n可能的原因是:\r\n位图文件的路径不正确。");
  EXPECT_EQ(box.owner, host_) << "owned by the control's window";
  EXPECT_TRUE(box.errorIcon);
  EXPECT_EQ(ObjectCount(), 1);
  EXPECT_SHOWN(L"1#2[b]3[c]4");
  EXPECT_EQ(face_.LastOleError(), S_OK);
}

TEST_F(FaceMissingBitmap, AMissingFileIsReportedTheSameWay) {
  const std::wstring symbols[] = {L"PicBt"};
  const std::wstring paths[] = {L"C:\\velkor-no-such-folder\\face.bmp"};
  face_.SetFaces(1, symbols, paths);
  MessageBoxWatch watch;
  EXPECT_TRUE(face_.ShowText(L"xPicBtyPicBt", TRUE));
  ASSERT_EQ(watch.boxes.size(), 1u);
  EXPECT_EQ(watch.boxes[0].caption, L"HBITMAP");
  EXPECT_EQ(ObjectCount(), 0);
  EXPECT_SHOWN(L"xPicBtyPicBt");
}

// --- texts without pictures --------------------------------------------------

using FacePlainText = FaceEditTest;

TEST_F(FacePlainText, ATextWithoutSymbolsIsShownUnchanged) {
  SetIdFaces({L"PicBt"}, {kSmile});
  const std::wstring text =
      L"重要提示：\nVelkor超级文件加密器在此特别提醒用户请认真阅读《软件许可协议》以及\n"
      L"其中各条款, 并在请您审阅后决定接受或不接受本协议。\n\n  ·程序组名VelkorCrypt: 卸载Velkor软件。\n";
  MessageBoxWatch watch;
  EXPECT_TRUE(face_.ShowText(text, TRUE));
  EXPECT_EQ(face_.GetTextW(), text);
  EXPECT_EQ(ObjectCount(), 0);
  EXPECT_TRUE(watch.boxes.empty());
}

TEST_F(FacePlainText, FacesNotWantedLeaveTheSymbolsAsText) {
  SetIdFaces({L"PicBt"}, {kSmile});
  EXPECT_TRUE(face_.ShowText(L"xPicBty", FALSE));
  EXPECT_EQ(face_.GetTextW(), L"xPicBty");
  EXPECT_EQ(ObjectCount(), 0);
}

TEST_F(FacePlainText, AnEmptyTableOnlySetsTheText) {
  EXPECT_TRUE(face_.ShowText(L"xPicBty", TRUE));
  EXPECT_EQ(face_.GetTextW(), L"xPicBty");
  EXPECT_EQ(ObjectCount(), 0);
}

TEST_F(FacePlainText, APlainTextReplacesEarlierPictures) {
  SetIdFaces({L"PicBt"}, {kSmile});
  EXPECT_TRUE(face_.ShowText(L"PicBt PicBt", TRUE));
  ASSERT_EQ(ObjectCount(), 2);
  EXPECT_TRUE(face_.ShowText(L"plain", TRUE));
  EXPECT_EQ(ObjectCount(), 0);
  EXPECT_EQ(face_.GetTextW(), L"plain");
}

// --- references and handles ----------------------------------------------------

using FaceLeaks = FaceEditTest;

TEST_F(FaceLeaks, TheBitmapGivenToTheInsertionIsFreedOnceTheControlHasItsCopy) {
  face_.SetTextW(L"a b");
  face_.SetSel(1, 2);
  HBITMAP bitmap = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kSmile));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(InsertBitmapObject(face_, bitmap), S_OK);
  EXPECT_EQ(::GetObjectType(bitmap), 0u) << "the bitmap is gone";
  EXPECT_SHOWN(L"a#b");
}

TEST_F(FaceLeaks, TheControlHoldsTheOnlyReferencesToWhatWasInserted) {
  SetIdFaces({L"[s]", L"[p]"}, {kSmile, kPlus});
  ASSERT_TRUE(face_.ShowText(L"[s] and [p]", TRUE));
  std::vector<REOBJECT> held;
  {
    Released<IRichEditOle> ole{Ole()};
    ASSERT_NE(ole.p, nullptr);
    for (LONG i = 0; i < ole.p->GetObjectCount(); ++i) {
      REOBJECT reobject{};
      reobject.cbStruct = sizeof(reobject);
      ASSERT_EQ(ole.p->GetObject(i, &reobject, REO_GETOBJ_POLEOBJ | REO_GETOBJ_PSTG), S_OK);
      held.push_back(reobject);
    }
  }
  ASSERT_EQ(held.size(), 2u);
  // Once the text is gone, the control lets go of its objects; the
  // references taken above are then the last ones.
  face_.SetTextW(L"");
  for (REOBJECT& reobject : held) {
    ASSERT_NE(reobject.poleobj, nullptr);
    ASSERT_NE(reobject.pstg, nullptr);
    EXPECT_EQ(reobject.poleobj->Release(), 0u) << "no reference to the picture object is left over";
    EXPECT_EQ(reobject.pstg->Release(), 0u) << "no reference to its storage is left over";
  }
}

TEST_F(FaceLeaks, TheControlsOleInterfaceIsGivenBack) {
  SetIdFaces({L"[s]"}, {kSmile});
  Released<IRichEditOle> ole{Ole()};
  ASSERT_NE(ole.p, nullptr);
  ole.p->AddRef();
  const ULONG before = ole.p->Release();
  ASSERT_TRUE(face_.ShowText(L"[s][s][s]", TRUE));
  ASSERT_EQ(ObjectCount(), 3);
  ole.p->AddRef();
  EXPECT_EQ(ole.p->Release(), before);
}

TEST_F(FaceLeaks, RepeatedTextsKeepTheNumberOfGdiHandles) {
  SetIdFaces({L"[s]", L"[p]"}, {kSmile, kPlus});
  const std::wstring text = L"one [s] two [p]\nthree";
  // The first rounds make what the control and OLE keep for good (caches,
  // fonts); from then on every round must give back all it makes.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(face_.ShowText(text, TRUE));
  const size_t before = FreeGdiSlots();
  constexpr int kRounds = 40;
  for (int i = 0; i < kRounds; ++i) ASSERT_TRUE(face_.ShowText(text, TRUE));
  ASSERT_EQ(ObjectCount(), 2);
  const size_t after = FreeGdiSlots();
  // A handle lost in every round would count kRounds; a few may be a
  // system cache growing late.
  EXPECT_LE(before, after + 4) << "GDI handles lost over " << kRounds << " texts of two pictures: "
                               << (before > after ? before - after : 0);
}

// --- OLE failures --------------------------------------------------------------

class FaceOleFailure : public FaceEditTest {
 protected:
  void SetUp() override {
    FaceEditTest::SetUp();
    // A control that is no rich-edit control has no OLE interface.
    plain_ = CreateEdit(L"EDIT");
    ASSERT_NE(plain_, nullptr);
    ASSERT_TRUE(onPlain_.SubclassWindow(plain_));
  }
  HWND plain_ = nullptr;
  CFaceEdit onPlain_;
};

TEST_F(FaceOleFailure, IsReportedToTheCallerAndTheTextStays) {
  const std::wstring symbols[] = {L"PicBt"};
  const UINT ids[] = {kSmile};
  onPlain_.SetFaces(1, symbols, ids);
  MessageBoxWatch watch;
  EXPECT_FALSE(onPlain_.ShowText(L"xPicBtyPicBt", TRUE));
  EXPECT_EQ(onPlain_.LastOleError(), E_NOINTERFACE);
  EXPECT_TRUE(watch.boxes.empty()) << "an OLE failure is no bitmap failure";
  EXPECT_EQ(onPlain_.GetWindowText(), L"xPicBtyPicBt");

  // The next text starts afresh.
  EXPECT_TRUE(onPlain_.ShowText(L"plain", TRUE));
  EXPECT_EQ(onPlain_.LastOleError(), S_OK);
}

TEST_F(FaceOleFailure, TheBitmapIsFreedOnAFailedInsertion) {
  HBITMAP bitmap = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kPlus));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(InsertBitmapObject(onPlain_, bitmap), E_NOINTERFACE);
  EXPECT_EQ(::GetObjectType(bitmap), 0u);
  EXPECT_EQ(InsertBitmapObject(face_, nullptr), E_INVALIDARG);
  EXPECT_EQ(ObjectCount(), 0);
}

// --- on the screen -------------------------------------------------------------

// The client area of a window as 32-bit pixels, top row first.
std::vector<DWORD> Capture(HWND hwnd, int* width, int* height) {
  RECT rect{};
  ::GetClientRect(hwnd, &rect);
  *width = rect.right;
  *height = rect.bottom;
  std::vector<DWORD> pixels(static_cast<size_t>(*width) * static_cast<size_t>(*height));
  HDC windowDc = ::GetDC(hwnd);
  HDC memoryDc = ::CreateCompatibleDC(windowDc);
  HBITMAP canvas = ::CreateCompatibleBitmap(windowDc, *width, *height);
  HGDIOBJ old = ::SelectObject(memoryDc, canvas);
  ::BitBlt(memoryDc, 0, 0, *width, *height, windowDc, 0, 0, SRCCOPY);
  ::SelectObject(memoryDc, old);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = *width;
  info.bmiHeader.biHeight = -*height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  ::GetDIBits(memoryDc, canvas, 0, static_cast<UINT>(*height), pixels.data(), &info, DIB_RGB_COLORS);
  ::DeleteObject(canvas);
  ::DeleteDC(memoryDc);
  ::ReleaseDC(hwnd, windowDc);
  return pixels;
}

// Pixels near the colour: the control may draw a picture through a colour
// conversion that moves a channel by a few steps.
size_t CountColour(const std::vector<DWORD>& pixels, COLORREF colour) {
  auto within = [](int a, int b) { return a - b <= 32 && b - a <= 32; };
  size_t count = 0;
  for (DWORD p : pixels) {
    if (within(static_cast<int>((p >> 16) & 0xFF), GetRValue(colour)) &&
        within(static_cast<int>((p >> 8) & 0xFF), GetGValue(colour)) &&
        within(static_cast<int>(p & 0xFF), GetBValue(colour)))
      ++count;
  }
  return count;
}

void SaveBmp(const char* path, const std::vector<DWORD>& pixels, int width, int height) {
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = -height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  const DWORD bytes = static_cast<DWORD>(pixels.size() * sizeof(DWORD));
  BITMAPFILEHEADER fileHeader{};
  fileHeader.bfType = 0x4D42;
  fileHeader.bfOffBits = sizeof(fileHeader) + sizeof(header);
  fileHeader.bfSize = fileHeader.bfOffBits + bytes;
  std::fwrite(&fileHeader, sizeof(fileHeader), 1, file);
  std::fwrite(&header, sizeof(header), 1, file);
  std::fwrite(pixels.data(), bytes, 1, file);
  std::fclose(file);
}

using FaceScreen = FaceEditTest;

TEST_F(FaceScreen, ThePicturesAreDrawnInTheText) {
  HFONT font = ::CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
  face_.SetFont(font);
  SetIdFaces({L"[smile]", L"[plus]"}, {kSmile, kPlus});
  ASSERT_TRUE(face_.ShowText(L"请仔细阅读许可协议[smile]，继续安装之前必须同意这些协议条款。\n"
                             L"Two pictures: [smile] and [plus], then text again.\n[plus][plus][smile]",
                             TRUE));
  ASSERT_EQ(ObjectCount(), 6);
  ::RedrawWindow(host_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);

  int width = 0, height = 0;
  const std::vector<DWORD> pixels = Capture(face_, &width, &height);
  // The pictures' fills, less their borders and features, three of each.
  const size_t smileFill = 3 * (22 * 16 - 2 * 9 - 12 * 2);
  const size_t plusFill = 3 * (18 * 14 - 10 * 2 - 8 * 2);
  EXPECT_GE(CountColour(pixels, kSmileFill), smileFill * 9 / 10);
  EXPECT_GE(CountColour(pixels, kPlusFill), plusFill * 9 / 10);
  if (const char* path = std::getenv("VELKOR_FACE_SHOT")) {
    int hostWidth = 0, hostHeight = 0;
    const std::vector<DWORD> whole = Capture(host_, &hostWidth, &hostHeight);
    SaveBmp(path, whole, hostWidth, hostHeight);
  }
  face_.SetFont(nullptr);
  ::DeleteObject(font);
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc >= 3) {
    for (const char* p = argv[1]; *p; ++p) g_smilePath += static_cast<wchar_t>(*p);
    for (const char* p = argv[2]; *p; ++p) g_plusPath += static_cast<wchar_t>(*p);
  }
  if (velkor::fw::LoadSystemLibrary(L"riched32.dll") == nullptr) {
    std::fprintf(stderr, "riched32.dll could not be loaded\n");
    return 2;
  }
  // The insertion's OLE calls need OLE on this thread, as the program has it.
  if (FAILED(::OleInitialize(nullptr))) {
    std::fprintf(stderr, "OleInitialize failed\n");
    return 2;
  }
  const int result = RUN_ALL_TESTS();
  ::OleUninitialize();
  return result;
}
