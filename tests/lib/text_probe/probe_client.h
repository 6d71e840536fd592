// The driver's side of the text probe (text_probe.h): loads it, hooks the
// program's window thread with it and asks it to measure a dialog.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "lib/window_driver.h"

namespace velkor::testlib {

// The DPI the run's prefix was made with (VELKOR_DPI, else 96): what the
// program's dialogs must report.
int configuredDpi();

struct ProbeReport {
  int dpi = 0;                       // the dialog's LOGPIXELSY, as the program sees it
  std::vector<std::string> lines;    // every record
  std::vector<std::string> failing;  // the CUT and OUTSIDE records
};

class TextProbe {
 public:
  // Before the program starts: the report file's path goes into the
  // environment the program inherits.
  explicit TextProbe(Driver& d);
  ~TextProbe();
  TextProbe(const TextProbe&) = delete;
  TextProbe& operator=(const TextProbe&) = delete;

  // Hooks the thread that runs `window` (once per thread).
  void attach(HWND window);
  // Has `dialog` measured now (with the texts written into shown controls
  // since the last measurement) and logs every record under `page`.
  ProbeReport measure(HWND dialog, const std::string& page);

 private:
  Driver& d_;
  std::wstring reportPath_;
  HMODULE dll_ = nullptr;
  HOOKPROC measureHook_ = nullptr;
  HOOKPROC writtenHook_ = nullptr;
  std::vector<DWORD> threads_;
  std::vector<HHOOK> hooks_;
  unsigned serial_ = 0;
};

}  // namespace velkor::testlib
