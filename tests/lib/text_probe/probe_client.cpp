#include "lib/text_probe/probe_client.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "lib/text_probe/text_probe.h"

namespace velkor::testlib {

namespace {

std::wstring besideThisProgram(const wchar_t* name) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

std::string readFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  CloseHandle(file);
  return text;
}

}  // namespace

int configuredDpi() {
  const char* dpi = std::getenv("VELKOR_DPI");
  return dpi != nullptr && *dpi != '\0' ? std::atoi(dpi) : 96;
}

TextProbe::TextProbe(Driver& d) : d_(d) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  reportPath_ = std::wstring(temp) + L"velkor-text-probe-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  SetEnvironmentVariableW(probe::kReportVariable, reportPath_.c_str());
  const std::wstring dll = besideThisProgram(probe::kDllName);
  dll_ = LoadLibraryW(dll.c_str());
  d_.expect(dll_ != nullptr, "the text probe loaded from " + utf8(dll), "error " + std::to_string(GetLastError()));
  for (auto [name, hook] :
       {std::pair{probe::kMeasureHook, &measureHook_}, std::pair{probe::kWrittenHook, &writtenHook_}}) {
    *hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(dll_, name)));
    d_.expect(*hook != nullptr, std::string("the probe's hook procedure ") + name, "not exported");
  }
}

TextProbe::~TextProbe() {
  for (HHOOK hook : hooks_) UnhookWindowsHookEx(hook);
  DeleteFileW(reportPath_.c_str());
  SetEnvironmentVariableW(probe::kReportVariable, nullptr);
}

void TextProbe::attach(HWND window) {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (std::find(threads_.begin(), threads_.end(), thread) != threads_.end()) return;
  threads_.push_back(thread);
  for (auto [type, proc] : {std::pair{WH_CALLWNDPROC, measureHook_}, std::pair{WH_CALLWNDPROCRET, writtenHook_}}) {
    HHOOK hook = SetWindowsHookExW(type, proc, dll_, thread);
    d_.expect(hook != nullptr,
              std::string("the text probe's ") + (type == WH_CALLWNDPROC ? "measuring" : "text") +
                  " hook on thread " + std::to_string(thread),
              "error " + std::to_string(GetLastError()));
    hooks_.push_back(hook);
  }
}

ProbeReport TextProbe::measure(HWND dialog, const std::string& page) {
  attach(dialog);
  const unsigned serial = ++serial_;
  DeleteFileW(reportPath_.c_str());
  static const UINT message = RegisterWindowMessageW(probe::kMeasureMessage);
  DWORD_PTR result = 0;
  const bool answered = SendMessageTimeoutW(dialog, message, serial, 0, SMTO_NORMAL, 10000, &result) != 0;
  d_.expect(answered, "the " + page + " to take the measuring message", "error " + std::to_string(GetLastError()));

  ProbeReport report;
  std::istringstream lines(readFile(reportPath_));
  std::string line;
  bool started = false, ended = false;
  while (std::getline(lines, line)) {
    if (line.rfind("report ", 0) == 0) {
      started = line == "report " + std::to_string(serial);
    } else if (line.rfind("dpi ", 0) == 0) {
      report.dpi = std::stoi(line.substr(4));
    } else if (line.rfind("end ", 0) == 0) {
      ended = true;
    } else if (line.rfind("dialog ", 0) != 0) {
      report.lines.push_back(line);
      if (line.rfind(std::string(probe::kOk) + " ", 0) != 0) report.failing.push_back(line);
    }
    d_.log("  probe, " + page + ": " + line);
  }
  d_.expect(started && ended, "the probe's whole report " + std::to_string(serial) + " in " + utf8(reportPath_),
            started ? "it stops short" : "no report (is the probe loaded into the program?)");
  return report;
}

}  // namespace velkor::testlib
