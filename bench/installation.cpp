// The whole installation under Wine, measured in one run. This program is
// the image of a setup file with the demo payload; the prefix is a throwaway
// one (scripts/winerun). Figures:
//   - the real Installation (every engine module behind the sequence, every
//     Win32 adapter, a real progress bar repainting at each step) against a
//     plain copy of the bytes it wrote (CopyFileW) plus as many PBM_STEPIT on
//     the same bar;
//   - the peak working set of a process that runs one whole installation,
//     with this payload and with one twice its size (a bigger setup file made
//     here, the member table repeated over the first half): it must not grow
//     with the payload. Each of those runs in a process of its own (this
//     program started again with --memory), which reports what Windows says
//     (PeakWorkingSetSize) and what the Unix kernel says (VmHWM).
// Prints one row per figure; asserts nothing about time.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "payload/sha256.h"
#include "engine/install_paths.h"
#include "engine/installation.h"
#include "engine/machine_number.h"
#include "engine/paced_progress.h"
#include "payload/layout.h"
#include "platform/win32_finish_ports.h"
#include "platform/win32_registry.h"
#include "platform/win32_system.h"

namespace {

using namespace velkor;
using namespace velkor::bench;

constexpr wchar_t kDoubleSetup[] = L"C:\\bench\\double.exe";

// The Win32 system counting the bytes the installation writes (streams and
// whole-file copies), optionally with another setup file and seal.
class CountingSystem : public Win32System {
 public:
  std::size_t write(FileHandle file, const void* data, std::size_t count) override {
    const std::size_t put = Win32System::write(file, data, count);
    written += put;
    return put;
  }
  bool copyFile(const std::u16string& from, const std::u16string& to, bool failIfExists) override {
    const bool ok = Win32System::copyFile(from, to, failIfExists);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (ok && GetFileAttributesExW(reinterpret_cast<const wchar_t*>(to.c_str()), GetFileExInfoStandard, &data))
      written += data.nFileSizeLow;
    return ok;
  }
  std::u16string modulePath() override { return setup.empty() ? Win32System::modulePath() : setup; }
  std::optional<seal::PayloadSeal> payloadSeal() override {
    return setup.empty() ? Win32System::payloadSeal() : std::optional<seal::PayloadSeal>(seal);
  }

  std::uint64_t written = 0;
  std::u16string setup;
  seal::PayloadSeal seal;
};

struct Run {
  bool ok = false;
  double seconds = 0;
  std::uint64_t written = 0;
  std::size_t steps = 0;  // the bar's steps by the byte count
  std::size_t paints = 0;  // the times the bar was put on the screen
  int upper = 0;
  double inSteps = 0, inPumps = 0, longestGap = 0;
  std::string longestGapAfter;
};

// One whole installation, as the main window runs it after the licence.
Run install(CountingSystem& system, ProgressWindow& window, EngineConfig config = {}) {
  win32::Win32Registry registry;
  Win32FontTable fonts;
  Win32Libraries libraries;
  Win32SpecialFolders folders;
  Win32ShellLinks links;
  BenchView view(&window);
  WizardState state;
  state.bInstalling = state.bConfigurePending = state.bSetupStarted = state.bBusy = 1;
  system.written = 0;
  const double start = now();
  SetupFile setup = holdSetupFile(system);
  // As the main window runs it: the bar repainted at its pace.
  PacedProgressView paced(view);
  Installation(InstallationPorts{system, registry, fonts, libraries, folders, links}, paced, state,
               computeMachineNumber(system.volumeSerial(u"c:\\")), setup, config)
      .run();
  Run r;
  r.seconds = now() - start;
  r.ok = state.bInstallFailed == 0 && view.position() == view.upperBound();
  r.written = system.written;
  r.steps = static_cast<std::size_t>(paced.position());
  r.paints = view.paints;
  r.upper = view.upperBound();
  r.inSteps = view.inSteps;
  r.inPumps = view.inPumps;
  r.longestGap = view.longestGap;
  r.longestGapAfter = utf8(view.longestGapAfter);
  return r;
}

// Unloads and deletes the fonts of the last installation (in the font folder
// and the install directory's own copy), so that every timed run is a first
// installation with the same plan.
void removeInstalledFonts(Win32System& system) {
  for (const std::u16string& folder :
       {paths::fontFolder(system.windowsDirectory()), std::u16string(paths::kInstallDirectory) + u"\\"}) {
    for (const auto& part : payload::kFontParts) {
      for (const std::u16string& name : {folder + part.fileName, std::u16string(part.fileName)})
        while (RemoveFontResourceW(reinterpret_cast<const wchar_t*>(name.c_str()))) {
        }
      system.deleteFile(folder + part.fileName);
    }
  }
}

// The plain counterpart: CopyFileW of `from`, then `steps` PBM_STEPIT.
struct Plain {
  double copy = 0, steps = 0;
};
Plain plainCopy(ProgressWindow& window, const wchar_t* from, std::size_t steps, int upper) {
  Plain p;
  DeleteFileW(L"C:\\bench\\plain-copy.bin");
  double start = now();
  if (!CopyFileW(from, L"C:\\bench\\plain-copy.bin", FALSE)) return {};
  p.copy = now() - start;
  SendMessageW(window.bar, PBM_SETRANGE, 0, MAKELPARAM(0, upper));
  SendMessageW(window.bar, PBM_SETSTEP, 1, 0);
  SendMessageW(window.bar, PBM_SETPOS, 0, 0);
  start = now();
  for (std::size_t i = 0; i < steps; ++i) SendMessageW(window.bar, PBM_STEPIT, 0, 0);
  p.steps = now() - start;
  testlib::pumpThreadQueue();
  return p;
}

// Writes `size` bytes to `path`, repeating `bytes`.
bool writeRepeated(const wchar_t* path, const std::vector<std::uint8_t>& bytes, std::uint64_t size) {
  FILE* f = _wfopen(path, L"wb");
  if (f == nullptr) return false;
  std::uint64_t left = size;
  while (left > 0) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, bytes.size()));
    if (std::fwrite(bytes.data(), 1, n, f) != n) break;
    left -= n;
  }
  return std::fclose(f) == 0 && left == 0;
}

// The setup file with a payload twice the size: this program's image, then
// the payload twice. Returns the doubled payload's seal digest in hex, or "".
std::string writeDoubleSetup(const std::wstring& self) {
  FILE* in = _wfopen(self.c_str(), L"rb");
  FILE* out = _wfopen(kDoubleSetup, L"wb");
  if (in == nullptr || out == nullptr) return {};
  _fseeki64(in, 0, SEEK_END);
  const std::int64_t size = _ftelli64(in);
  const std::int64_t image = size - payload::kPayloadSize;
  std::vector<std::uint8_t> block(1 << 20);
  Sha256 digest;
  const auto copy = [&](std::int64_t from, std::int64_t count, bool payload) {
    _fseeki64(in, from, SEEK_SET);
    while (count > 0) {
      const std::size_t n = std::fread(block.data(), 1, static_cast<std::size_t>(std::min<std::int64_t>(count, block.size())), in);
      if (n == 0) return false;
      if (payload) digest.update(block.data(), n);
      if (std::fwrite(block.data(), 1, n, out) != n) return false;
      count -= static_cast<std::int64_t>(n);
    }
    return true;
  };
  const bool ok = copy(0, image, false) && copy(image, payload::kPayloadSize, true) &&
                  copy(image, payload::kPayloadSize, true);
  std::fclose(in);
  if (std::fclose(out) != 0 || !ok) return {};
  std::string hex;
  char byte[3];
  for (const std::uint8_t b : digest.finish()) {
    std::snprintf(byte, sizeof byte, "%02x", b);
    hex += byte;
  }
  return hex;
}

// The digest written by writeDoubleSetup, read back; all zeros when malformed.
Sha256Digest digestFromHex(const std::string& hex) {
  Sha256Digest d{};
  if (hex.size() != 2 * d.size()) return d;
  for (std::size_t i = 0; i < d.size(); ++i)
    d[i] = static_cast<std::uint8_t>(std::strtoul(hex.substr(2 * i, 2).c_str(), nullptr, 16));
  return d;
}

// The member table over a doubled payload: the nine members where they are,
// then the nine again over the first half, under other names.
std::vector<payload::Member> doubledTable() {
  static std::vector<std::u16string> names;
  std::vector<payload::Member> table(payload::kMembers.begin(), payload::kMembers.end());
  names.reserve(payload::kMembers.size() * 2);
  for (const auto& m : payload::kMembers) {
    names.push_back(u"again-" + std::u16string(m.fileName));
    const std::u16string& file = names.back();
    names.push_back(paths::kInstallDirectory + std::u16string(u"\\") + file);
    table.push_back({m.number + 9, names.back().c_str(), file.c_str(),
                     m.start - static_cast<std::int32_t>(payload::kPayloadSize), m.length, m.kind,
                     m.failsInstallWhenUnopenable});
  }
  return table;
}

std::wstring memoryReport(int factor) {
  return L"C:\\bench\\memory-" + std::to_wstring(factor) + L".txt";
}

// --memory <factor> [<digest>]: one installation in this process, then its
// peak memory into memoryReport(factor).
int memoryRun(int factor, const std::string& digest) {
  CountingSystem system;
  EngineConfig config;
  std::vector<payload::Member> table;
  if (factor == 2) {
    table = doubledTable();
    config.members = MemberTable{table.data(), table.size()};
    config.payloadSize = 2 * payload::kPayloadSize;
    system.setup = reinterpret_cast<const char16_t*>(kDoubleSetup);
    system.seal = seal::PayloadSeal{config.payloadSize, digestFromHex(digest)};
  }
  ProgressWindow window;
  const Run r = install(system, window, config);
  FILE* f = _wfopen(memoryReport(factor).c_str(), L"w");
  if (f == nullptr) return 1;
  std::fprintf(f, "%d %llu %llu %llu\n", r.ok ? 1 : 0,
               static_cast<unsigned long long>(peakWorkingSet(GetCurrentProcess())),
               static_cast<unsigned long long>(unixHighWaterMark(" --memory " + std::to_string(factor))),
               static_cast<unsigned long long>(r.written));
  std::fclose(f);
  return r.ok ? 0 : 1;
}

// Starts this program again for one memory run and reads its report.
struct Memory {
  bool ok = false;
  unsigned long long peak = 0, hwm = 0, written = 0;
};
Memory memoryInChild(const std::wstring& self, int factor, const std::string& digest) {
  std::wstring command = L"\"" + self + L"\" --memory " + std::to_wstring(factor) + L" " +
                         std::wstring(digest.begin(), digest.end());
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  Memory m;
  if (!CreateProcessW(self.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return m;
  WaitForSingleObject(pi.hProcess, 300'000);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  FILE* f = _wfopen(memoryReport(factor).c_str(), L"r");
  if (f == nullptr) return m;
  int ok = 0;
  if (std::fscanf(f, "%d %llu %llu %llu", &ok, &m.peak, &m.hwm, &m.written) == 4) m.ok = ok == 1 && code == 0;
  std::fclose(f);
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  CoInitialize(nullptr);
  CreateDirectoryW(L"C:\\bench", nullptr);
  if (argc >= 3 && std::string(argv[1]) == "--memory")
    return memoryRun(std::atoi(argv[2]), argc >= 4 ? argv[3] : "");

  const std::wstring self = modulePath();
  const std::vector<std::uint8_t> payload = readTail(self.c_str(), payload::kPayloadSize);
  if (payload.size() != payload::kPayloadSize) {
    std::printf("bench: cannot read this setup file's payload\n");
    return 1;
  }

  // Interleaved with their plain counterparts: the ratio is the median of
  // each installation against the plain copy right after it (a busy moment of
  // the machine then weighs on both sides of one ratio); the figures are the
  // fastest of each kind.
  constexpr int kRuns = 5;
  CountingSystem system;
  Run best;
  best.seconds = 1e30;
  Plain plain{1e30, 1e30};
  bool same = true;
  std::string each;
  std::vector<double> ratios;  // each installation against the plain copy right after it
  {
    ProgressWindow window;
    Run first;
    for (int run = 0; run < kRuns; ++run) {
      removeInstalledFonts(system);
      const Run r = install(system, window);
      if (!r.ok) {
        std::printf("bench: installation %d failed\n", run + 1);
        return 1;
      }
      if (run == 0) {
        first = r;
        if (!writeRepeated(L"C:\\bench\\plain.bin", payload, r.written)) return 1;
      }
      same = same && r.written == first.written && r.steps == first.steps;
      each += (run ? " " : "") + format("%.0f", r.seconds * 1000);
      if (r.written != first.written || r.steps != first.steps)
        std::printf("bench: run %d wrote %llu bytes in %zu steps, run 1 %llu in %zu\n", run + 1,
                    static_cast<unsigned long long>(r.written), r.steps,
                    static_cast<unsigned long long>(first.written), first.steps);
      if (r.seconds < best.seconds) best = r;
      const Plain p = plainCopy(window, L"C:\\bench\\plain.bin", first.steps, first.upper);
      if (p.copy <= 0) return 1;
      ratios.push_back(r.seconds / (p.copy + p.steps));
      plain.copy = std::min(plain.copy, p.copy);
      plain.steps = std::min(plain.steps, p.steps);
    }
  }
  if (!same) std::printf("bench: the installations did not write the same (bytes or steps differ)\n");

  // The removal of an earlier installation alone (the step just before the
  // first member), over the installation the last run left.
  double removal = 0, removalGap = 0;
  {
    win32::Win32Registry registry;
    Win32FontTable fonts;
    Win32Libraries libraries;
    Win32SpecialFolders folders;
    BenchView view;
    Removal step(system, system, fonts, libraries, registry, folders, system, view);
    const double start = now();
    step.RemovePreviousInstallation();
    removal = now() - start;
    removalGap = view.pumps > 0 ? view.longestGap : removal;
  }

  const std::string digest = writeDoubleSetup(self);
  removeInstalledFonts(system);
  const Memory single = memoryInChild(self, 1, "");
  removeInstalledFonts(system);
  const Memory twice = !digest.empty() ? memoryInChild(self, 2, digest) : Memory{};
  DeleteFileW(kDoubleSetup);

  section("whole installation, demo payload, " + std::to_string(kRuns) + " runs");
  const double plainTotal = plain.copy + plain.steps;
  row("whole installation (real modules, adapters, bar)", ms(best.seconds), median(ratios), "<= 1.50");
  row("  each run (ms; the figures are the fastest)", each, 0, "");
  row("  bytes written / the bar's steps by the byte count",
      mib(best.written) + " / " + std::to_string(best.steps), 0, "");
  row("  its bar's paints (count / time) / time in pumps",
      std::to_string(best.paints) + " / " + ms(best.inSteps) + " / " + ms(best.inPumps), 0, "");
  row("  longest time between two pumps", ms(best.longestGap), 0, "< 10 ms");
  std::printf("  (that gap ended with the status line at \"%s\")\n", best.longestGapAfter.c_str());
  row("  of it, the removal step alone / its longest gap", ms(removal) + " / " + ms(removalGap), 0, "");
  row("plain copy of those bytes + as many PBM_STEPIT", ms(plainTotal), 0, "");
  row("  CopyFileW / the steps", ms(plain.copy) + " / " + ms(plain.steps), 0, "");
  if (!single.ok || !twice.ok) {
    std::printf("bench: a memory run failed (payload x1 %s, x2 %s)\n", single.ok ? "ok" : "failed",
                twice.ok ? "ok" : "failed");
    return 1;
  }
  row("peak working set, installation of the demo payload", mib(single.peak), 0, "< 32 MiB");
  row("  the Wine process's VmHWM (Unix) / bytes written", mib(single.hwm) + " / " + mib(single.written), 0, "");
  row("peak working set, installation of a payload twice that", mib(twice.peak),
      static_cast<double>(twice.peak) / static_cast<double>(single.peak), "ratio ~1.0");
  row("  the Wine process's VmHWM (Unix) / bytes written", mib(twice.hwm) + " / " + mib(twice.written), 0, "");
  CoUninitialize();
  return same ? 0 : 1;
}
