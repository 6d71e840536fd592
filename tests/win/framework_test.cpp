// The dialog framework against the real window system: the modal loop and the
// pump route every message through PreTranslateMessage, handlers cannot let an
// exception escape, control binding subclasses, the owning wrappers free what
// they hold, and the library search leaves out the program's own folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/trace.h"
#include "framework/app.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/gdi.h"
#include "framework/handles.h"
#include "framework/system_library.h"
#include "lib/resource_counts.h"

namespace {

using namespace velkor::fw;

constexpr int kPumpButton = 1001;
constexpr int kLabel = 1002;

// A static whose messages the test watches through the framework's subclass.
class RecordingStatic : public CWnd {
 public:
  int setTextCount = 0;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_SETTEXT) ++setTextCount;
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

struct SeenKey {
  WPARAM key;
  bool insideHandler;
  bool operator==(const SeenKey& o) const { return key == o.key && insideHandler == o.insideHandler; }
};

class TestDialog : public CDialog {
 public:
  explicit TestDialog(UINT id = 200) : CDialog(id) {}

  std::function<void(TestDialog&)> onInit;
  std::function<void(TestDialog&)> onApp;  // WM_APP posted by a test
  std::function<void(TestDialog&)> onPumpButton;
  std::function<void(MSG*)> onPreTranslate;
  std::vector<SeenKey> keys;
  bool insideHandler = false;
  bool bindLabel = false;
  RecordingStatic label;
  std::wstring labelText;
  int cancelCount = 0;

  bool PreTranslateMessage(MSG* msg) override {
    if (onPreTranslate) onPreTranslate(msg);
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_F5 || msg->wParam == VK_F6))
      keys.push_back({msg->wParam, insideHandler});
    return CDialog::PreTranslateMessage(msg);
  }

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    CDialog::DoDataExchange(pDX);
    if (bindLabel) {
      DDX_Text(pDX, kLabel, labelText);
      DDX_Control(pDX, kLabel, label);
    }
  }
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    if (onInit) onInit(*this);
    return true;
  }
  void OnCancel() override {
    ++cancelCount;
    CDialog::OnCancel();
  }
  bool OnButtonClicked(int id) override {
    if (id == kPumpButton && onPumpButton) {
      onPumpButton(*this);
      return true;
    }
    return CDialog::OnButtonClicked(id);
  }
  bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT* result) override {
    if (message != WM_APP || !onApp) return false;
    onApp(*this);
    *result = 0;
    return true;
  }
};

TEST(ModalLoop, PreTranslateMessageSeesKeysPostedToTheDialog) {
  TestDialog dialog;
  dialog.onInit = [](TestDialog& d) {
    ::PostMessageW(d.GetDlgItem(IDOK), WM_KEYDOWN, VK_F5, 0);
    d.PostMessage(WM_APP);
  };
  dialog.onApp = [](TestDialog& d) { d.EndDialog(77); };
  EXPECT_EQ(dialog.DoModal(), 77);
  EXPECT_EQ(dialog.keys, (std::vector<SeenKey>{{VK_F5, false}}));
  EXPECT_EQ(dialog.m_hWnd, nullptr) << "the window is destroyed when the loop ends";
}

TEST(ModalLoop, APumpInsideAHandlerRunsPreTranslateMessage) {
  TestDialog dialog;
  dialog.onInit = [](TestDialog& d) { d.PostMessage(WM_APP); };
  dialog.onApp = [](TestDialog& d) {
    d.insideHandler = true;
    d.PostMessage(WM_KEYDOWN, VK_F6, 0);
    EXPECT_TRUE(PumpWaitingMessages());
    d.insideHandler = false;
    d.EndDialog(5);
  };
  EXPECT_EQ(dialog.DoModal(), 5);
  EXPECT_EQ(dialog.keys, (std::vector<SeenKey>{{VK_F6, true}}));
}

TEST(ModalLoop, EnterAndEscapeReachTheDialogManager) {
  for (WPARAM key : {static_cast<WPARAM>(VK_RETURN), static_cast<WPARAM>(VK_ESCAPE)}) {
    SCOPED_TRACE(key == VK_RETURN ? "Enter" : "Esc");
    TestDialog dialog;
    dialog.onInit = [key](TestDialog& d) { d.PostMessage(WM_KEYDOWN, key, 0); };
    EXPECT_EQ(dialog.DoModal(), key == VK_RETURN ? IDOK : IDCANCEL);
  }
}

TEST(ModalLoop, ACloseRequestGivesTheCancelCommand) {
  TestDialog dialog;
  dialog.onInit = [](TestDialog& d) { d.PostMessage(WM_CLOSE); };
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.cancelCount, 1);
}

TEST(ModalLoop, EndDialogDuringANestedPumpEndsTheLoopAfterTheHandler) {
  TestDialog dialog;
  int handlerFinished = 0;
  dialog.onInit = [](TestDialog& d) { d.PostMessage(WM_APP); };
  dialog.onApp = [&handlerFinished](TestDialog& d) {
    d.PostMessage(WM_CLOSE);  // ends the dialog while this handler still pumps
    PumpWaitingMessages();
    EXPECT_FALSE(d.IsWindowVisible()) << "EndDialog hides the window at once";
    ++handlerFinished;
  };
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(handlerFinished, 1);
}

TEST(ModalLoop, AnExceptionInAHandlerStaysInTheDialogProcedure) {
  TestDialog dialog;
  int thrown = 0;
  dialog.onInit = [](TestDialog& d) {
    ::PostMessageW(d.GetDlgItem(kPumpButton), BM_CLICK, 0, 0);
    d.PostMessage(WM_APP);
  };
  dialog.onPumpButton = [&thrown](TestDialog&) {
    ++thrown;
    throw std::runtime_error("handler failure");
  };
  dialog.onApp = [](TestDialog& d) { d.EndDialog(9); };
  std::u16string traced;
  auto previous = velkor::trace::setSink([&traced](std::u16string_view text) { traced += text; });
  EXPECT_EQ(dialog.DoModal(), 9) << "the dialog kept running after the throw";
  velkor::trace::setSink(previous);
  EXPECT_EQ(thrown, 1);
  EXPECT_NE(traced.find(u"dialog procedure"), std::u16string::npos) << "the trace says where it stopped";
  EXPECT_NE(traced.find(u"handler failure"), std::u16string::npos) << "and what it was";
}

TEST(ModalLoop, IdleWorkRunsInPiecesOnlyWhileNothingWaitsAndStopsWhenDone) {
  CWinApp app;
  TestDialog dialog;
  int pieces = 0, piecesAtFirstMessage = -1;
  bool ranWithMessageWaiting = false;
  app.m_idleWork = [&] {
    MSG waiting;
    if (::PeekMessageW(&waiting, nullptr, 0, 0, PM_NOREMOVE)) ranWithMessageWaiting = true;
    if (++pieces < 5) return true;
    dialog.PostMessage(WM_APP);
    return false;
  };
  dialog.onInit = [](TestDialog& d) { d.PostMessage(WM_APP); };
  dialog.onApp = [&](TestDialog& d) {
    if (piecesAtFirstMessage < 0) piecesAtFirstMessage = pieces;
    if (pieces == 5) d.EndDialog(3);
  };
  EXPECT_EQ(dialog.DoModal(), 3);
  EXPECT_EQ(piecesAtFirstMessage, 0) << "the posted message and the first paint came first";
  EXPECT_EQ(pieces, 5) << "no piece after the work said it was done";
  EXPECT_FALSE(ranWithMessageWaiting);
  EXPECT_FALSE(app.m_idleWork);
}

TEST(ModalLoop, OwnersIdleWorkRunsFirstEachUntilDoneThrownOrRemoved) {
  CWinApp app;
  TestDialog dialog;
  std::string order;
  const int first = 0, second = 0, removed = 0;
  app.AddIdleWork(&first, [&] {
    order += 'a';
    return order.size() < 3;
  });
  app.AddIdleWork(&second, [&]() -> bool {
    order += 'b';
    if (order.size() > 4) throw std::runtime_error("idle failure");
    return true;
  });
  app.AddIdleWork(&removed, [&] {
    order += 'x';
    return false;
  });
  app.RemoveIdleWork(&removed);
  app.m_idleWork = [&] {
    order += 'c';
    dialog.PostMessage(WM_APP);
    return false;
  };
  dialog.onApp = [](TestDialog& d) { d.EndDialog(5); };
  auto previous = velkor::trace::setSink([](std::u16string_view) {});
  EXPECT_EQ(dialog.DoModal(), 5);
  velkor::trace::setSink(previous);
  EXPECT_EQ(order, "aaabbc");
  EXPECT_FALSE(app.HasIdleWork(&first));
  EXPECT_FALSE(app.HasIdleWork(&second)) << "dropped when it threw";
}

TEST(Boundaries, IdleWorkThatThrowsIsTracedAndDropped) {
  CWinApp app;
  TestDialog dialog;
  int pieces = 0;
  app.m_idleWork = [&]() -> bool {
    ++pieces;
    dialog.PostMessage(WM_APP);
    throw std::runtime_error("idle failure");
  };
  dialog.onApp = [](TestDialog& d) { d.EndDialog(4); };
  std::u16string traced;
  auto previous = velkor::trace::setSink([&traced](std::u16string_view text) { traced += text; });
  EXPECT_EQ(dialog.DoModal(), 4) << "the loop went on";
  velkor::trace::setSink(previous);
  EXPECT_EQ(pieces, 1);
  EXPECT_FALSE(app.m_idleWork);
  EXPECT_NE(traced.find(u"idle work"), std::u16string::npos) << traced.size();
}

TEST(Boundaries, AMessageWhosePreTranslationThrowsIsStillDispatched) {
  TestDialog dialog;
  dialog.onPreTranslate = [](MSG* msg) {
    if (msg->message == WM_APP) throw std::runtime_error("pre-translation failure");
  };
  dialog.onInit = [](TestDialog& d) {
    d.PostMessage(WM_APP);
    d.PostMessage(WM_CLOSE);  // ends the dialog with IDCANCEL should WM_APP be lost
  };
  dialog.onApp = [](TestDialog& d) { d.EndDialog(6); };
  std::u16string traced;
  auto previous = velkor::trace::setSink([&traced](std::u16string_view text) { traced += text; });
  EXPECT_EQ(dialog.DoModal(), 6) << "dispatched as if nobody had pre-translated it";
  velkor::trace::setSink(previous);
  EXPECT_NE(traced.find(u"PreTranslateMessage: pre-translation failure"), std::u16string::npos);
}

RECT RectOf(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return r;
}

// Where a window of `window`'s size lies centred on `on`, kept on `area`.
POINT CentredOn(const RECT& window, const RECT& on, const RECT& area) {
  const LONG width = window.right - window.left, height = window.bottom - window.top;
  return {std::max(area.left, std::min((on.left + on.right) / 2 - width / 2, area.right - width)),
          std::max(area.top, std::min((on.top + on.bottom) / 2 - height / 2, area.bottom - height))};
}

struct Placed {
  RECT atInitEnd;  // at the end of its initialisation
  RECT running;    // once its modal loop runs
};

// Runs dialog `id`; `init` runs in its initialisation.
Placed Place(UINT id, const std::function<void(TestDialog&)>& init) {
  TestDialog dialog(id);
  Placed placed{};
  dialog.onInit = [&](TestDialog& d) {
    if (init) init(d);
    placed.atInitEnd = RectOf(d.m_hWnd);
    d.PostMessage(WM_APP);
  };
  dialog.onApp = [&placed](TestDialog& d) {
    placed.running = RectOf(d.m_hWnd);
    d.EndDialog(IDOK);
  };
  EXPECT_EQ(dialog.DoModal(), IDOK);
  return placed;
}

RECT WorkArea() {
  RECT area{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

TEST(Placement, OnlyADialogWithoutAPlaceOfItsOwnIsCentred) {
  struct Case {
    const char* name;
    UINT templateId;
    std::function<void(TestDialog&)> init;
    bool centred;
  };
  const Case cases[] = {
      {"no owner, no position", 200, nullptr, true},
      {"a template with a position", 202, nullptr, false},
      {"moved by its initialisation", 200,
       [](TestDialog& d) { d.SetWindowPos(nullptr, 33, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER); }, false},
      {"shown by its initialisation", 200, [](TestDialog& d) { d.ShowWindow(SW_SHOW); }, false},
  };
  const RECT area = WorkArea();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Placed p = Place(c.templateId, c.init);
    const POINT want = c.centred ? CentredOn(p.running, area, area) : POINT{p.atInitEnd.left, p.atInitEnd.top};
    EXPECT_EQ(p.running.left, want.x);
    EXPECT_EQ(p.running.top, want.y);
  }
}

TEST(Placement, ANestedDialogIsCentredOverItsOwnerWhileTheOwnerIsShown) {
  const RECT area = WorkArea();
  enum class Owner { kShown, kAtTheCorner, kHidden, kEnabled };
  for (Owner owner : {Owner::kShown, Owner::kAtTheCorner, Owner::kHidden, Owner::kEnabled}) {
    SCOPED_TRACE(static_cast<int>(owner));
    TestDialog outer;
    RECT ownerRect{};
    Placed inner{};
    outer.onInit = [](TestDialog& d) { d.PostMessage(WM_APP); };
    outer.onApp = [&](TestDialog& d) {
      const POINT at = owner == Owner::kAtTheCorner ? POINT{area.right - 60, area.bottom - 40} : POINT{100, 80};
      d.SetWindowPos(nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      if (owner == Owner::kHidden) d.ShowWindow(SW_HIDE);
      ownerRect = RectOf(d.m_hWnd);
      inner = Place(201, [owner](TestDialog& i) {
        if (owner == Owner::kEnabled) ::EnableWindow(::GetWindow(i.m_hWnd, GW_OWNER), TRUE);
      });
      d.EndDialog(IDOK);
    };
    outer.DoModal();
    const POINT want = owner == Owner::kEnabled ? POINT{inner.atInitEnd.left, inner.atInitEnd.top}
                       : owner == Owner::kHidden ? CentredOn(inner.running, area, area)
                                                 : CentredOn(inner.running, ownerRect, area);
    EXPECT_EQ(inner.running.left, want.x);
    EXPECT_EQ(inner.running.top, want.y);
  }
}

TEST(ModalLoop, ANestedDialogIsOwnedByTheOuterOneWhichIsDisabledMeanwhile) {
  TestDialog outer;
  HWND innerOwner = nullptr;
  bool outerEnabledDuringInner = true;
  bool outerEnabledAfterInner = false;
  INT_PTR innerResult = 0;
  outer.onInit = [](TestDialog& d) { d.PostMessage(WM_APP); };
  outer.onApp = [&](TestDialog& d) {
    TestDialog inner(201);
    inner.onInit = [&](TestDialog& i) {
      innerOwner = ::GetWindow(i.m_hWnd, GW_OWNER);
      outerEnabledDuringInner = ::IsWindowEnabled(d.m_hWnd) != FALSE;
      i.EndDialog(3);
    };
    innerResult = inner.DoModal();
    outerEnabledAfterInner = ::IsWindowEnabled(d.m_hWnd) != FALSE;
    EXPECT_EQ(innerOwner, d.m_hWnd);
    d.EndDialog(4);
  };
  EXPECT_EQ(outer.DoModal(), 4);
  EXPECT_EQ(innerResult, 3);
  EXPECT_FALSE(outerEnabledDuringInner);
  EXPECT_TRUE(outerEnabledAfterInner);
}

TEST(DataExchange, ControlBindingSubclassesAndTextGoesBothWays) {
  TestDialog dialog;
  dialog.bindLabel = true;
  dialog.labelText = L"from the member";
  std::wstring shownAtInit;
  dialog.onInit = [&shownAtInit](TestDialog& d) {
    shownAtInit = d.label.GetWindowText();
    d.label.SetWindowText(L"typed by the user");
    d.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  };
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(shownAtInit, L"from the member");
  EXPECT_EQ(dialog.labelText, L"typed by the user") << "OnOK exchanges back";
  // One WM_SETTEXT from the test; the initial exchange ran before the binding.
  EXPECT_EQ(dialog.label.setTextCount, 1);
  EXPECT_EQ(dialog.label.m_hWnd, nullptr) << "the binding ends with the window";
}

TEST(Pump, AQuitMessageIsPutBackForTheOuterLoop) {
  ::PostQuitMessage(3);
  EXPECT_FALSE(PumpWaitingMessages());
  MSG msg{};
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

HFONT NewFont() { return ::CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"); }

TEST(OwningHandles, ResetMoveAndReleaseFreeExactlyOnce) {
  HFONT first = NewFont();
  HFONT second = NewFont();
  ASSERT_NE(first, nullptr);
  {
    UniqueFont a(first);
    a.reset(second);
    EXPECT_EQ(::GetObjectType(first), 0u) << "reset frees the old font";
    UniqueFont b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), second);
    EXPECT_EQ(::GetObjectType(second), static_cast<DWORD>(OBJ_FONT));
  }
  EXPECT_EQ(::GetObjectType(second), 0u) << "the moved-to owner freed it";

  HFONT kept = NewFont();
  {
    UniqueFont c(kept);
    EXPECT_EQ(c.release(), kept);
  }
  EXPECT_EQ(::GetObjectType(kept), static_cast<DWORD>(OBJ_FONT)) << "release gives up ownership";
  ::DeleteObject(kept);
}

TEST(OwningHandles, RepeatedCreationNeverExhaustsTheGdiTable) {
  // More objects of each kind than a process may hold at once (Windows
  // allows 10,000, Wine about 65,000): a leak of any kind would make a
  // creation fail before the end.
  constexpr int kRounds = 66000;
  int fontsMade = 0, brushesMade = 0, dcsMade = 0;
  for (int i = 0; i < kRounds; ++i) {
    CFont font;
    fontsMade += font.CreateFont(-12, 0, 0, 0, FW_NORMAL, false, false, false, DEFAULT_CHARSET, 3, 2, 1, 34, L"Arial");
    CBrush brush;
    brushesMade += brush.CreateSolidBrush(RGB(255, 255, 255));
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    dcsMade += static_cast<bool>(dc);
  }
  EXPECT_EQ(fontsMade, kRounds);
  EXPECT_EQ(brushesMade, kRounds);
  EXPECT_EQ(dcsMade, kRounds);
}

TEST(OwningHandles, SelectGuardPutsThePreviousObjectBack) {
  UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
  UniqueFont a(NewFont()), b(NewFont());
  ::SelectObject(dc.get(), a.get());
  {
    SelectGuard guard(dc.get(), b.get());
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_FONT), b.get());
  }
  EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_FONT), a.get());
  ::SelectObject(dc.get(), ::GetStockObject(SYSTEM_FONT));
}

TEST(OwningHandles, ABitmapDCHoldsItsBitmapSelectedAndFreesBothInOrder) {
  UniqueMemoryDc screenLike(::CreateCompatibleDC(nullptr));
  BitmapDC canvas;
  ASSERT_TRUE(canvas.Create(screenLike.get(), 7, 5));
  const HDC dc = canvas.get();
  const auto bitmap = static_cast<HBITMAP>(::GetCurrentObject(dc, OBJ_BITMAP));
  BITMAP info{};
  ASSERT_TRUE(::GetObjectW(bitmap, sizeof info, &info));
  EXPECT_EQ(info.bmWidth, 7);
  EXPECT_EQ(info.bmHeight, 5);
  canvas.reset();
  EXPECT_FALSE(canvas);
  EXPECT_EQ(::GetObjectType(dc), 0u);
  EXPECT_EQ(::GetObjectType(bitmap), 0u) << "deselected first, so it could be deleted";

  // A bitmap that cannot be made leaves nothing behind, not even the DC.
  ASSERT_TRUE(canvas.Create(screenLike.get(), 3, 3));
  const unsigned held = velkor::test::GdiObjects();
  EXPECT_FALSE(canvas.Create(screenLike.get(), 0x7FFFFFF, 0x7FFFFFF));
  EXPECT_FALSE(canvas);
  EXPECT_EQ(velkor::test::GdiObjects(), held - 2) << "the earlier pair freed, the new DC too";
}

TEST(OwningHandles, AStretchedCopyIsANewAlphaFreeBitmapThatAveragesItsSource) {
  // A 2 x 1 source, black and white, stretched to 3 x 2: the outer columns
  // keep their colours, the middle one is between them (halftone averages;
  // a plain stretch would repeat one of them).
  const DWORD pixels[2] = {0x000000, 0xFFFFFF};
  UniqueBitmap source(::CreateBitmap(2, 1, 1, 32, pixels));
  ASSERT_TRUE(source);
  const unsigned before = velkor::test::GdiObjects();
  UniqueBitmap copy = StretchedCopy(source.get(), 3, 2);
  ASSERT_TRUE(copy);
  EXPECT_EQ(velkor::test::GdiObjects(), before + 1) << "nothing but the copy is left";
  DIBSECTION dib{};
  ASSERT_EQ(::GetObjectW(copy.get(), sizeof dib, &dib), static_cast<int>(sizeof dib)) << "a DIB section";
  EXPECT_EQ(dib.dsBm.bmWidth, 3);
  EXPECT_EQ(dib.dsBm.bmHeight, 2);
  EXPECT_EQ(dib.dsBm.bmBitsPixel, 24) << "no alpha channel, so a static shows it as it is";
  UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
  SelectGuard selected(dc.get(), copy.get());
  const COLORREF left = ::GetPixel(dc.get(), 0, 0), middle = ::GetPixel(dc.get(), 1, 0),
                 right = ::GetPixel(dc.get(), 2, 0);
  EXPECT_LT(GetRValue(left), 64);
  EXPECT_GT(GetRValue(right), 191);
  EXPECT_TRUE(GetRValue(middle) > GetRValue(left) && GetRValue(middle) < GetRValue(right))
      << std::hex << left << " " << middle << " " << right;

  EXPECT_FALSE(StretchedCopy(nullptr, 3, 2));
  EXPECT_FALSE(StretchedCopy(source.get(), 0, 2));
}

// Counts the references a ComPtr takes and gives back.
struct CountedObject : IUnknown {
  ULONG refs = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

TEST(OwningHandles, AComPtrReleasesItsReferenceExactlyOnce) {
  CountedObject first, second;
  {
    ComPtr<IUnknown> a;
    *a.put() = &first;
    a.reset(&second);
    EXPECT_EQ(first.refs, 0u) << "reset releases the old reference";
    ComPtr<IUnknown> b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), &second);
    EXPECT_EQ(second.refs, 1u);
    *b.put_void() = &first;
    EXPECT_EQ(second.refs, 0u) << "put releases what it held";
    first.refs = 1;
    EXPECT_EQ(b.release(), &first);
  }
  EXPECT_EQ(first.refs, 1u) << "release gives up the reference";
}

TEST(OwningHandles, AFindHandleIsClosedByItsOwner) {
  WIN32_FIND_DATAW data{};
  UniqueFind find(::FindFirstFileW(L"C:\\windows\\*", &data));
  ASSERT_TRUE(find);
  HANDLE raw = find.get();
  find.reset();
  EXPECT_FALSE(::FindNextFileW(raw, &data)) << "the search handle is closed";
  UniqueFind none(INVALID_HANDLE_VALUE);
  EXPECT_FALSE(none) << "INVALID_HANDLE_VALUE is this type's empty value";
}

// A dialog with the members the wizard's dialogs have: created at init,
// freed by the object.
class GdiDialog : public CDialog {
 public:
  GdiDialog() : CDialog(200) {}
  HFONT font = nullptr;
  HBRUSH brush = nullptr;

 protected:
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    m_font.CreateFont(-12, 0, 0, 0, FW_NORMAL, false, false, false, DEFAULT_CHARSET, 3, 2, 1, 34, L"Arial");
    m_brush.CreateSolidBrush(RGB(255, 255, 255));
    CWnd(GetDlgItem(kLabel)).SetFont(m_font);
    font = m_font;
    brush = m_brush;
    EndDialog(IDOK);
    return true;
  }
  HBRUSH OnCtlColor(HDC, HWND, UINT) override { return m_brush; }

 private:
  CFont m_font;
  CBrush m_brush;
};

TEST(OwningHandles, DialogMembersFreeTheirObjectsEveryRun) {
  for (int run = 0; run < 50; ++run) {
    HFONT font;
    HBRUSH brush;
    {
      GdiDialog dialog;
      ASSERT_EQ(dialog.DoModal(), IDOK);
      font = dialog.font;
      brush = dialog.brush;
      ASSERT_NE(font, nullptr);
    }
    ASSERT_EQ(::GetObjectType(font), 0u) << "run " << run;
    ASSERT_EQ(::GetObjectType(brush), 0u) << "run " << run;
  }
}

TEST(Application, BaseNameDropsFolderAndExtension) {
  EXPECT_EQ(BaseNameWithoutExtension(L"C:\\Downloads\\Velkorsetup.exe"), L"Velkorsetup");
  EXPECT_EQ(BaseNameWithoutExtension(L"C:\\a.b\\copy of setup.v2.exe"), L"copy of setup.v2");
  EXPECT_EQ(BaseNameWithoutExtension(L"Z:/tmp/setup"), L"setup");
  EXPECT_EQ(BaseNameWithoutExtension(L"plain"), L"plain");
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

TEST(LibrarySearch, ALibraryBesideTheProgramIsNotLoadedByName) {
  const std::wstring planted = ProgramFolder() + L"velkor_plant.dll";
  ASSERT_NE(::GetFileAttributesW(planted.c_str()), INVALID_FILE_ATTRIBUTES) << "the plant is in place";
  RestrictLibrarySearch();
  // By bare name first: once loaded by path, the name would find that module.
  EXPECT_EQ(::LoadLibraryW(L"velkor_plant.dll"), nullptr);
  HMODULE byPath = ::LoadLibraryW(planted.c_str());
  EXPECT_NE(byPath, nullptr) << "the file itself loads, so only the search refused it";
  if (byPath) ::FreeLibrary(byPath);
}

TEST(LibrarySearch, SystemLibrariesLoadFromTheSystemDirectory) {
  const std::wstring system = SystemDirectory();
  ASSERT_FALSE(system.empty());
  HMODULE module = LoadSystemLibrary(L"riched32.dll");
  ASSERT_NE(module, nullptr);
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(module, path, MAX_PATH);
  EXPECT_EQ(_wcsnicmp(path, (system + L"\\").c_str(), system.size() + 1), 0);
  WNDCLASSW cls{};
  EXPECT_TRUE(::GetClassInfoW(::GetModuleHandleW(nullptr), L"RICHEDIT", &cls)) << "the rich-edit class is registered";
  EXPECT_EQ(LoadSystemLibrary(L"no-such-library-velkor.dll"), nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
