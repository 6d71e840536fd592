// The text probe: a test-only DLL that measures, inside the program under
// test, whether each shown text fits its control and each control lies in
// its dialog (see text_probe.h for the protocol).
//
// The rules follow how the system's controls draw (Wine's user32/comctl32):
// - a text static (not a picture, icon, frame or owner-drawn one) draws with
//   DrawTextW in its client rectangle. A left, centred or right static
//   word-wraps by advance widths: its text wrapped at its width must be no
//   higher than the control and no word wider (a line pushed over by its
//   last character's blank wraps all the same). An unwrapped static clips
//   its line at its edge: the line's ink must fit;
// - a push button draws its text centred in its client rectangle less 2
//   pixels each side, less one more for the default button's frame; any
//   push button becomes the default one while it has the focus, so the
//   default button's margin counts for all;
// - a check box (or radio button) draws its box (12 * dpi / 96 + 1 pixels,
//   dpi as GetDpiForWindow gives it for the control), then a gap of half
//   the width of '0' in its font, then the text with a one-pixel margin,
//   clipped at its edge;
// - a rich edit scrolls its own text: only its place counts.
// A clipped line's width is its ink: the advances less the last character's
// blank after its ink (its ABC "C" width, when positive), which nobody sees
// cut. Every control lies inside its dialog's client area; a decoration (a
// picture, frame or line without text) need only start inside it, as the
// separator that runs to the window's edge and the size grip in its corner
// do: the dialog clips what reaches past its right and bottom edges.
#include "lib/text_probe/text_probe.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace velkor::testlib::probe;

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring windowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

std::wstring className(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// Line feeds and tabs readable on one report line.
std::string quoted(const std::wstring& text) {
  std::string out = "\"";
  for (char c : utf8(text)) {
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else out.push_back(c);
  }
  return out + "\"";
}

std::string format(const char* pattern, ...) {
  va_list args;
  va_start(args, pattern);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, pattern, args);
  va_end(args);
  std::string out(n > 0 ? static_cast<std::size_t>(n) + 1 : 1, '\0');
  std::vsnprintf(out.data(), out.size(), pattern, again);
  va_end(again);
  out.resize(out.size() - 1);
  return out;
}

UINT dpiOf(HWND window, HDC dc) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpi =
      reinterpret_cast<GetDpiForWindowFn>(
          reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const UINT dpi = getDpi != nullptr ? getDpi(window) : 0;
  return dpi != 0 ? dpi : static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSX));
}

// The measurement of one control.
struct Finding {
  bool textual = false;  // a text was measured; otherwise only the place
  bool fits = true;
  bool inside = true;
  bool decoration = false;  // a picture, frame or line: it need only start inside
  std::string kind;      // "line", "lines", "push button", "check box", "rich edit", ...
  SIZE need{};
  SIZE have{};
  std::string how;       // what the need is made of
  std::wstring text;
  RECT place{};          // window rectangle in the dialog's client coordinates
  int id = 0;            // taken when measured: a control may be gone by the report
  std::wstring cls;

  // Whether this text is worse than `other`: cut where the other is not,
  // or short of more width (then height).
  bool worseThan(const Finding& other) const {
    if (fits != other.fits) return !fits;
    const long width = need.cx - have.cx, otherWidth = other.need.cx - other.have.cx;
    if (width != otherWidth) return width > otherWidth;
    return need.cy - have.cy > other.need.cy - other.have.cy;
  }
};

HFONT fontOf(HWND control) {
  auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  if (font == nullptr) font = reinterpret_cast<HFONT>(SendMessageW(GetParent(control), WM_GETFONT, 0, 0));
  if (font == nullptr) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  return font;
}

std::string fontName(HDC dc) {
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  return format("font %s %ldpx", quoted(face).c_str(), tm.tmHeight);
}

SIZE textSize(HDC dc, const std::wstring& text, UINT flags, LONG width = 0) {
  RECT r{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags | DT_CALCRECT);
  return {r.right - r.left, r.bottom - r.top};
}

// One line's size with the last character's blank after its ink taken off.
SIZE lineInk(HDC dc, const std::wstring& text, UINT flags) {
  SIZE size = textSize(dc, text, flags | DT_SINGLELINE);
  ABC abc{};
  if (!text.empty() && GetCharABCWidthsW(dc, text.back(), text.back(), &abc) && abc.abcC > 0)
    size.cx -= static_cast<LONG>(abc.abcC);
  return size;
}

bool isTextStatic(LONG style) {
  switch (style & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP: return true;
    default: return false;  // pictures, icons, frames, rectangles, owner-drawn
  }
}

void measureStatic(HDC dc, LONG style, const RECT& client, Finding& f) {
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const LONG type = style & SS_TYPEMASK;
  const UINT flags = DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
  const bool ownLines = f.text.find(L'\n') != std::wstring::npos && type != SS_SIMPLE;
  f.have = {client.right, client.bottom};
  if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) {
    const SIZE wrapped = textSize(dc, f.text, flags | DT_WORDBREAK, client.right);
    const long lines = tm.tmHeight > 0 ? wrapped.cy / tm.tmHeight : 0;
    if (client.bottom >= 2 * tm.tmHeight || ownLines) {
      f.kind = "lines";
      f.need = wrapped;
      f.how = format("%ld lines wrapped at the control's width", lines);
    } else {
      f.kind = "line";
      f.need = {textSize(dc, f.text, flags | DT_SINGLELINE).cx, wrapped.cy};
      f.how = lines > 1 ? format("wraps to %ld lines at the control's width", lines) : std::string("one line");
    }
    f.fits = wrapped.cx <= f.have.cx && wrapped.cy <= f.have.cy;
    return;
  }
  // Not wrapped: clipped at the control's edge.
  f.kind = ownLines ? "lines" : "line";
  f.need = ownLines ? textSize(dc, f.text, flags) : lineInk(dc, f.text, flags);
  f.how = ownLines ? "its own lines, unwrapped" : "one line unwrapped, ink";
  f.fits = f.need.cx <= f.have.cx && f.need.cy <= f.have.cy;
}

void measureButton(HWND control, HDC dc, LONG style, const RECT& client, Finding& f) {
  const LONG type = style & BS_TYPEMASK;
  const UINT lines = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
  f.have = {client.right, client.bottom};
  if (type <= BS_DEFPUSHBUTTON || type == BS_USERBUTTON || (style & BS_PUSHLIKE)) {
    constexpr LONG kInset = 2 + 1;  // the label's inset and the default button's frame
    const SIZE text = (style & BS_MULTILINE) ? textSize(dc, f.text, lines, client.right - 2 * kInset)
                                             : lineInk(dc, f.text, 0);
    f.kind = "push button";
    f.need = {text.cx + 2 * kInset, text.cy + 2 * kInset};
    f.how = format("text %ldx%ld + %ld each side", text.cx, text.cy, kInset);
  } else {
    const UINT dpi = dpiOf(control, dc);
    const LONG box = static_cast<LONG>(12 * dpi / 96 + 1);
    INT zero = 0;
    GetCharWidthW(dc, L'0', L'0', &zero);
    const LONG gap = zero / 2;
    const SIZE text = (style & BS_MULTILINE) ? textSize(dc, f.text, lines) : lineInk(dc, f.text, 0);
    f.kind = (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) ? "radio button" : "check box";
    f.need = {box + gap + 1 + text.cx, std::max(box, text.cy)};
    f.how = format("box %ld (dpi %u) + gap %ld + margin 1 + text %ldx%ld", box, dpi, gap, text.cx, text.cy);
  }
  f.fits = f.need.cx <= f.have.cx && f.need.cy <= f.have.cy;
}

// Measures one child of `dialog`; `textual` stays false for controls whose
// text is not theirs to show (pictures, frames, progress bars, rich edits).
Finding measure(HWND dialog, HWND control) {
  Finding f;
  f.id = GetDlgCtrlID(control);
  f.cls = className(control);
  RECT area{};
  GetClientRect(dialog, &area);
  GetWindowRect(control, &f.place);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&f.place), 2);
  const std::wstring& cls = f.cls;
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  f.text = windowText(control);
  f.decoration = lstrcmpiW(cls.c_str(), L"Static") == 0 && !isTextStatic(style);
  f.inside = f.place.left >= 0 && f.place.top >= 0 &&
             (f.decoration ? f.place.left < area.right && f.place.top < area.bottom
                           : f.place.right <= area.right && f.place.bottom <= area.bottom);
  bool isStatic = lstrcmpiW(cls.c_str(), L"Static") == 0 && isTextStatic(style);
  bool isButton = lstrcmpiW(cls.c_str(), L"Button") == 0;
  if (isButton) {
    const LONG type = style & BS_TYPEMASK;
    isButton = type != BS_GROUPBOX && type != BS_OWNERDRAW && !(style & (BS_BITMAP | BS_ICON));
  }
  f.kind = _wcsnicmp(cls.c_str(), L"RichEdit", 8) == 0 ? "rich edit"
               : f.decoration ? "decoration" : "control";
  if ((!isStatic && !isButton) || f.text.empty()) return f;

  RECT client{};
  GetClientRect(control, &client);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, fontOf(control));
  if (isStatic) measureStatic(dc, style, client, f);
  else measureButton(control, dc, style, client, f);
  f.how += ", " + fontName(dc);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  f.textual = true;
  return f;
}

std::string describe(const Finding& f) {
  std::string line = format("%d %s", f.id, utf8(f.cls).c_str());
  if (f.textual)
    line += format(" %s %s needs %ldx%ld has %ldx%ld (%s)", f.kind.c_str(), quoted(f.text).c_str(), f.need.cx,
                   f.need.cy, f.have.cx, f.have.cy, f.how.c_str());
  else
    line += " " + f.kind;
  line += format(" at %ld,%ld %ldx%ld", f.place.left, f.place.top, f.place.right - f.place.left,
                 f.place.bottom - f.place.top);
  return line;
}

// Texts written into shown controls since the last report, per control.
struct Written {
  std::map<std::wstring, Finding> texts;  // each distinct text as measured when written
  std::string dialog;
  int count = 0;
};
std::map<HWND, Written> g_written;
bool g_busy = false;  // measuring sends messages that come through the hook again

std::string caption(HWND dialog) { return quoted(windowText(dialog)); }

void noteWrittenText(HWND control) {
  HWND dialog = GetParent(control);
  if (dialog == nullptr || !(GetWindowLongW(control, GWL_STYLE) & WS_CHILD) || !IsWindowVisible(control)) return;
  const Finding f = measure(dialog, control);
  if (!f.textual) return;
  Written& w = g_written[control];
  ++w.count;
  w.texts[f.text] = f;
  w.dialog = caption(dialog);
}

void report(HWND dialog, WPARAM serial) {
  wchar_t path[MAX_PATH] = {};
  if (GetEnvironmentVariableW(kReportVariable, path, MAX_PATH) == 0) return;
  std::vector<std::string> lines;
  lines.push_back(format("report %u", static_cast<unsigned>(serial)));
  HDC dc = GetDC(dialog);
  lines.push_back(format("dpi %d", GetDeviceCaps(dc, LOGPIXELSY)));
  ReleaseDC(dialog, dc);
  RECT area{};
  GetClientRect(dialog, &area);
  lines.push_back("dialog " + caption(dialog) + format(" client %ldx%ld", area.right, area.bottom));
  int records = 0, failing = 0;
  auto add = [&](bool ok, const char* verdict, const std::string& record) {
    ++records;
    if (!ok) ++failing;
    lines.push_back(std::string(ok ? kOk : verdict) + " " + record);
  };
  const std::string inArea = format(" in the dialog's client area %ldx%ld", area.right, area.bottom);
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    const Finding f = measure(dialog, child);
    if (!f.fits) add(false, kCut, describe(f));
    if (!f.inside) add(false, kOutside, describe(f) + inArea);
    if (f.fits && f.inside) add(true, kOk, describe(f));
  }
  // The worst of the texts each control showed before: the one it shows on
  // this dialog now was measured above.
  for (const auto& [control, w] : g_written) {
    const bool shownHere = GetParent(control) == dialog && IsWindowVisible(control);
    const std::wstring now = shownHere ? windowText(control) : std::wstring();
    const Finding* worst = nullptr;
    for (const auto& [text, f] : w.texts)
      if (!(shownHere && text == now) && (worst == nullptr || f.worseThan(*worst))) worst = &f;
    if (worst != nullptr)
      add(worst->fits, kCut,
          describe(*worst) + format(" (worst of %d texts written while shown, in %s)", w.count, w.dialog.c_str()));
  }
  g_written.clear();
  lines.push_back(format("end %d %d", records, failing));

  std::string text;
  for (const auto& line : lines) text += line + "\n";
  HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

// Before each message a window of the hooked thread handles: a measuring
// request is answered before SendMessage returns to the driver.
extern "C" __declspec(dllexport) LRESULT CALLBACK textProbeMeasureHook(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT measureMessage = RegisterWindowMessageW(kMeasureMessage);
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && !g_busy && m->message == measureMessage) {
    g_busy = true;
    try {
      report(m->hwnd, m->wParam);
    } catch (...) {
      // Nothing may cross into the program; the driver sees no report.
    }
    g_busy = false;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// After each message a window of the hooked thread has handled: a text just
// written is in its control (a picture static that takes a text has become a
// text static by then).
extern "C" __declspec(dllexport) LRESULT CALLBACK textProbeWrittenHook(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && !g_busy && m->message == WM_SETTEXT) {
    g_busy = true;
    try {
      noteWrittenText(m->hwnd);
    } catch (...) {
      // As above: the text goes unmeasured rather than break the program.
    }
    g_busy = false;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
