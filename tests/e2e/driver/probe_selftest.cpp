// The text probe proven on a window of the driver's own thread whose
// controls are sized from their font's own measurements: what fits passes;
// a text a pixel too wide, a check box with no room for its box, a button
// with no room for its frame and wrapped lines beyond the control's height
// are cut; a control reaching past the window is outside; a text written
// and replaced is still reported when it was the worst.
#include <windows.h>

#include <sstream>

#include "lib/text_probe/probe_client.h"
#include "scenarios.h"

namespace velkor::e2e {
namespace {

enum Control : int {
  kExact = 101,     // a static exactly as wide as its text
  kShort,           // a pixel narrower: it wraps out of sight
  kTwoLines,        // wraps to two lines in a two-line height
  kThreeLines,      // wraps to three lines in a two-line height
  kUnwrapped,       // an unwrapped static half as wide as its text
  kBoxless,         // a check box with room for its text and gap, not its box
  kRoomyBox,        // a check box with room to spare
  kFramelessButton, // a push button a pixel wider than its text each side
  kRoomyButton,     // a push button with room to spare
  kPastEdge,        // a button reaching past the window's right edge
  kLongLine,        // a separator line running past the right edge
  kLineOutside,     // a separator line starting beyond the right edge
  kHidden,          // a hidden button far outside: nobody sees it
  kWritten,         // a static that is written a long text, then a short one
};

const wchar_t kClass[] = L"VelkorTextProbeTest";

HWND add(HWND parent, HFONT font, const wchar_t* cls, const wchar_t* text, DWORD style, int id, RECT r) {
  HWND control = CreateWindowExW(0, cls, text, WS_CHILD | style, r.left, r.top, r.right, r.bottom, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

// The records of one control: the verdict of each line naming it first.
std::vector<std::string> recordsOf(const ProbeReport& report, int id, bool written) {
  std::vector<std::string> found;
  for (const auto& line : report.lines) {
    std::istringstream words(line);
    std::string verdict;
    int named = 0;
    if (words >> verdict >> named && named == id &&
        (line.find("texts written while shown") != std::string::npos) == written)
      found.push_back(verdict);
  }
  return found;
}

}  // namespace

TEST_F(TestDialog, text_probe) {
  d.step("a window of this thread with controls sized from their font");
  TextProbe probe(d);
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClass;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, kClass, L"probe test", WS_POPUP | WS_CAPTION, 20, 20, 520, 400, nullptr, nullptr,
                                wc.hInstance, nullptr);
  d.expect(window != nullptr, "the test window", "error " + std::to_string(GetLastError()));
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  HFONT font = CreateFontW(-MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                           L"Tahoma");
  HGDIOBJ old = SelectObject(screen, font);
  TEXTMETRICW tm{};
  GetTextMetricsW(screen, &tm);
  auto width = [&](const wchar_t* text) {
    SIZE s{};
    GetTextExtentPoint32W(screen, text, lstrlenW(text), &s);
    return static_cast<int>(s.cx);
  };
  const int line = tm.tmHeight;
  RECT client{};
  GetClientRect(window, &client);
  const wchar_t* words = L"Setup wizard texts";
  const int wordWidth = width(L"wizard ");  // the widest word, with the blank it breaks at
  add(window, font, L"Static", L"Exactly wide", SS_LEFT | WS_VISIBLE, kExact, {4, 4, width(L"Exactly wide"), line});
  add(window, font, L"Static", L"One pixel short", SS_LEFT | WS_VISIBLE, kShort,
      {4, 30, width(L"One pixel short") - 1, line});
  add(window, font, L"Static", words, SS_LEFT | WS_VISIBLE, kTwoLines, {4, 56, width(L"Setup wizard"), 2 * line});
  add(window, font, L"Static", words, SS_LEFT | WS_VISIBLE, kThreeLines, {4, 100, wordWidth, 2 * line});
  add(window, font, L"Static", L"Cut at its half", SS_LEFTNOWORDWRAP | WS_VISIBLE, kUnwrapped,
      {4, 144, width(L"Cut at its half") / 2, line});
  add(window, font, L"Button", L"Agree", BS_AUTOCHECKBOX | WS_VISIBLE, kBoxless,
      {4, 170, width(L"Agree") + 8, line + 4});
  add(window, font, L"Button", L"Agree", BS_AUTOCHECKBOX | WS_VISIBLE, kRoomyBox,
      {4, 200, width(L"Agree") + 60, std::max(line, 30)});
  add(window, font, L"Button", L"Install", BS_PUSHBUTTON | WS_VISIBLE, kFramelessButton,
      {4, 240, width(L"Install") + 2, line + 20});
  add(window, font, L"Button", L"Install", BS_PUSHBUTTON | WS_VISIBLE, kRoomyButton,
      {200, 240, width(L"Install") + 20, line + 20});
  add(window, font, L"Button", L"Edge", BS_PUSHBUTTON | WS_VISIBLE, kPastEdge,
      {client.right - 20, 4, width(L"Edge") + 40, line + 20});
  add(window, font, L"Static", L"", SS_ETCHEDHORZ | WS_VISIBLE, kLongLine, {0, 300, client.right + 10, 2});
  add(window, font, L"Static", L"", SS_ETCHEDHORZ | WS_VISIBLE, kLineOutside, {client.right + 5, 310, 20, 2});
  add(window, font, L"Button", L"Hidden", BS_PUSHBUTTON, kHidden, {client.right + 50, 4, 80, 30});
  HWND written = add(window, font, L"Static", L"Short", SS_LEFT | WS_VISIBLE, kWritten,
                     {300, 100, width(L"Short text"), line});
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  ShowWindow(window, SW_SHOWNOACTIVATE);

  d.step("a text written while shown, then replaced by one that fits");
  probe.attach(window);
  SetWindowTextW(written, L"A text far too long for this control");
  SetWindowTextW(written, L"Short");

  d.step("the probe's measurement");
  const ProbeReport report = probe.measure(window, "test window");
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  d.screenshot(window, "probe-test-window");
  const int expected = configuredDpi();
  d.expect(report.dpi == expected, "the window at " + std::to_string(expected) + " dpi", std::to_string(report.dpi));
  const struct {
    int id;
    const char* verdict;  // nullptr: no record at all
    const char* what;
  } expectations[] = {
      {kExact, "ok", "a static exactly as wide as its text"},
      {kShort, "CUT", "a static a pixel short"},
      {kTwoLines, "ok", "two wrapped lines in two lines' height"},
      {kThreeLines, "CUT", "three wrapped lines in two lines' height"},
      {kUnwrapped, "CUT", "an unwrapped static half as wide as its text"},
      {kBoxless, "CUT", "a check box without room for its box"},
      {kRoomyBox, "ok", "a check box with room"},
      {kFramelessButton, "CUT", "a push button without room for its frame"},
      {kRoomyButton, "ok", "a push button with room"},
      {kPastEdge, "OUTSIDE", "a button past the right edge"},
      {kLongLine, "ok", "a line running past the right edge"},
      {kLineOutside, "OUTSIDE", "a line starting beyond the right edge"},
      {kHidden, nullptr, "a hidden button"},
      {kWritten, "ok", "the short text the control shows now"},
  };
  for (const auto& e : expectations) {
    const auto records = recordsOf(report, e.id, false);
    const std::string seen =
        records.empty() ? "no record" : records.front() + " (" + std::to_string(records.size()) + " records)";
    if (e.verdict == nullptr)
      d.expect(records.empty(), std::string(e.what) + ": no record", seen);
    else
      d.expect(records.size() == 1 && records.front() == e.verdict,
               std::string(e.what) + ": one record, " + e.verdict, seen);
  }
  const auto writtenRecords = recordsOf(report, kWritten, true);
  d.expect(writtenRecords.size() == 1 && writtenRecords.front() == "CUT",
           "the long text written before: one record, CUT",
           std::to_string(writtenRecords.size()) + " records" +
               (writtenRecords.empty() ? std::string() : ", " + writtenRecords.front()));
  d.expect(report.failing.size() == 8, "8 faults in all", std::to_string(report.failing.size()));

  d.step("texts written after the measurement are the next one's");
  SetWindowTextW(written, L"Short too");
  SetWindowTextW(written, L"Short");
  const ProbeReport next = probe.measure(window, "test window again");
  d.expect(recordsOf(next, kWritten, true) == std::vector<std::string>{"ok"},
           "the next report: only the texts written since, which fit", std::to_string(next.failing.size()) + " faults");
  DestroyWindow(window);
  DeleteObject(font);
}

}  // namespace velkor::e2e
