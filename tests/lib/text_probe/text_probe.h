// What a driver and the text probe (a test-only DLL loaded into the program
// under test by a window hook) agree on. A font handle means nothing in
// another process, so the texts are measured inside the program: the driver
// sets the report file's path in its environment before starting the
// program (which inherits it), hooks the program's window thread with the
// probe's hook procedures, and sends a dialog the measuring message; when
// SendMessage returns, the report file holds the dialog's measurement. The
// probe also measures every text the program writes into a shown control
// (WM_SETTEXT), keeps the worst one per control, and hands those over with
// the next report.
#pragma once

namespace velkor::testlib::probe {

// Registered message sent to a dialog; wParam is a serial the report repeats.
inline constexpr wchar_t kMeasureMessage[] = L"Velkor.TextProbe.Measure";
// The environment variable with the report file's path.
inline constexpr wchar_t kReportVariable[] = L"VELKOR_TEXT_PROBE_REPORT";
// The DLL, beside the driver's executable, and its two hook procedures:
// WH_CALLWNDPROC answers the measuring message before the program replies
// to it, WH_CALLWNDPROCRET sees each text once its control holds it.
inline constexpr wchar_t kDllName[] = L"velkor_text_probe.dll";
inline constexpr char kMeasureHook[] = "textProbeMeasureHook";
inline constexpr char kWrittenHook[] = "textProbeWrittenHook";

// The report, UTF-8, one record a line:
//   report <serial>
//   dpi <LOGPIXELSY of the dialog's DC>
//   dialog <caption> client <w>x<h>
//   <verdict> <record>          (verdict: ok, CUT, OUTSIDE)
//   end <records> <failing>
// A record names the control (identifier, class, kind, text), what its text
// needs and what it has in pixels, and its rectangle in the dialog's client
// area; a record of texts written while the page was up says so.
inline constexpr char kOk[] = "ok";
inline constexpr char kCut[] = "CUT";
inline constexpr char kOutside[] = "OUTSIDE";

}  // namespace velkor::testlib::probe
