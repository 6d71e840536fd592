// The real Velkorsetup.exe under Wine, watched from this measuring process:
//   - start to first painted window, against a minimal dialog program built
//     beside this bench, started alternately in the same run, medians of N;
//   - the wizard's peak working set on its welcome page, on its licence page
//     and at the end of a whole installation driven through its pages (Next,
//     agree, Install);
//   - what the wizard does before its first paint beyond a minimal dialog,
//     timed in this process with the same calls: the first frame of each of
//     its two animations cut out and decoded with OleLoadPicture (the other
//     frames are decoded while the animation plays); and, for comparison,
//     what its licence page sets up when it first opens (OLE initialised,
//     the rich edit library loaded), and the working set all of it adds.
//     (OLE's figure here leaves out the window system's start, which a first
//     window pays.)
// "Painted" is seen the same way for both programs: from CreateProcessW until
// a visible top-level window of the new process exists and neither it nor any
// visible child of it has anything left to paint (an empty update region:
// each has been through BeginPaint). Prints one row per figure.
//   bench_wizard_start <Velkorsetup.exe> <minimal dialog.exe>
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "controls/pictureex/gif_reader.h"
#include "engine/failure_display.h"
#include "framework/system_library.h"
#include "lib/wizard_windows.h"
#include "resources/resource_ids.h"
#include "wizard/control_ids.h"
#include "wizard/texts.h"

namespace {

using namespace velkor;
using namespace velkor::bench;

// The base names of the modules loaded in a process.
std::vector<std::wstring> modulesOf(HANDLE process) {
  std::vector<HMODULE> modules(512);
  DWORD needed = 0;
  std::vector<std::wstring> names;
  if (!EnumProcessModules(process, modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed))
    return names;
  modules.resize(std::min<std::size_t>(modules.size(), needed / sizeof(HMODULE)));
  for (HMODULE m : modules) {
    wchar_t name[MAX_PATH] = {};
    if (GetModuleBaseNameW(process, m, name, MAX_PATH)) names.push_back(CharLowerW(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::uint64_t workingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.WorkingSetSize : 0;
}

// The start's own work, done here as the wizard does it before its first
// paint, and what its licence page adds; each figure in seconds, -1 when a
// step failed.
struct StartWork {
  double frames = -1, ole = -1, richEdit = -1;
  int frameCount = 0;
  std::uint64_t added = 0;  // working set after all of it, less before
};

// Cuts frames out of a GIF resource of `image` and decodes each alone, as the
// picture control does, up to `most` of them; the number decoded, or -1.
int decodeFrames(HMODULE image, int resource, int most) {
  HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(resource), L"GIF");
  HGLOBAL loaded = found ? LoadResource(image, found) : nullptr;
  const auto* data = loaded ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
  if (data == nullptr) return -1;
  GifReader reader(data, SizeofResource(image, found));
  reader.RewindToFirstBlock();
  int decoded = 0;
  while (decoded < most) {
    const auto slice = reader.ExtractFrame();
    if (!slice) break;
    const std::uint32_t length = reader.FrameStreamLength(*slice);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, length);
    if (block == nullptr) return -1;
    reader.WriteFrameStream(*slice, static_cast<std::uint8_t*>(GlobalLock(block)));
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) return -1;
    IPicture* picture = nullptr;
    if (SUCCEEDED(OleLoadPicture(stream, static_cast<LONG>(length), FALSE, IID_IPicture,
                                 reinterpret_cast<void**>(&picture)))) {
      ++decoded;
      picture->Release();
    }
    stream->Release();
  }
  return decoded;
}

StartWork measureStartWork(const std::wstring& wizardExe) {
  StartWork work;
  const std::uint64_t before = workingSet();
  HMODULE image = LoadLibraryExW(wizardExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (image == nullptr) return work;
  double t = now();
  const int banner = decodeFrames(image, IDR_GIF_BANNER, 1);
  const int animation = decodeFrames(image, IDR_GIF_ANIMATION, 1);
  if (banner > 0 && animation > 0) {
    work.frames = now() - t;
    work.frameCount = banner + animation;
  }
  FreeLibrary(image);
  t = now();
  if (FAILED(OleInitialize(nullptr))) return work;
  work.ole = now() - t;
  t = now();
  if (fw::LoadSystemLibrary(L"riched32.dll") == nullptr) return work;
  work.richEdit = now() - t;
  work.added = workingSet() - before;
  return work;
}

// Next, tick the agreement, Install, then wait for the finish page, with the
// window driver (which throws, naming the step, when a page does not come).
// Returns the peak working set at the end; `unixPeak` gets the Wine
// process's VmHWM then, `licencePeak` the peak on the licence page.
std::uint64_t installThroughThePages(const Started& wizard, std::uint64_t& unixPeak, std::uint64_t& licencePeak) {
  testlib::Driver d("bench", L"");
  d.watch(wizard.process.dwProcessId);
  d.click(d.waitWindow(testlib::kMainWindow), ctl::kNext);
  HWND licence = d.waitWindow(testlib::kLicencePage);
  d.setCheck(licence, wizard::ids::ts::kAgree, true);
  d.waitText(licence, wizard::ids::kOk, testlib::kInstall);
  licencePeak = peakWorkingSet(wizard.process.hProcess);
  d.click(licence, wizard::ids::kOk);
  d.waitGone(licence, "the licence page");
  HWND main = d.waitWindow(testlib::kMainWindow);
  const std::wstring finish = reinterpret_cast<const wchar_t*>(wizard::text::kFinishCaption);
  const std::wstring failed = reinterpret_cast<const wchar_t*>(text::kOkCaption);
  std::wstring last;
  d.waitUntil(
      "the installation to end", [&] { return (last = d.text(main, ctl::kCancelFinish)) == finish || last == failed; },
      [&] { return testlib::utf8(last); }, d.timeouts.install);
  d.expect(last == finish, "the finish page", "the failure page");
  unixPeak = unixHighWaterMark("C:\\bench\\Velkorsetup.exe");
  return peakWorkingSet(wizard.process.hProcess);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::printf("usage: bench_wizard_start <Velkorsetup.exe> <minimal dialog.exe>\n");
    return 2;
  }
  // Both run from copies on drive C:, where a downloaded setup would lie (and
  // where the wizard's clean-up of its own folder touches nothing of the build).
  CreateDirectoryW(L"C:\\bench", nullptr);
  const std::wstring wizardExe = L"C:\\bench\\Velkorsetup.exe";
  const std::wstring minimalExe = L"C:\\bench\\minimal_dialog.exe";
  if (!CopyFileW(windowsPath(argv[1]).c_str(), wizardExe.c_str(), FALSE) ||
      !CopyFileW(windowsPath(argv[2]).c_str(), minimalExe.c_str(), FALSE)) {
    std::printf("bench: cannot copy the programs to C:\\bench\n");
    return 1;
  }
  constexpr int kRuns = 7;

  // One start of each first, not counted: the first start of a program in a
  // fresh prefix also fills Wine's caches.
  std::vector<double> wizard, minimal;
  std::uint64_t wizardWelcomePeak = 0, minimalPeak = 0;
  std::vector<std::wstring> wizardModules, minimalModules;
  int unpainted = 0;
  for (int run = -1; run < kRuns; ++run) {
    for (const bool isWizard : {true, false}) {
      Started s = start(isWizard ? wizardExe : minimalExe);
      if (s.seconds < 0) {
        std::printf("bench: %s showed no painted window\n", isWizard ? "the wizard" : "the minimal dialog");
        end(s);
        return 1;
      }
      unpainted += s.unpaintedPolls;
      if (run >= 0) (isWizard ? wizard : minimal).push_back(s.seconds);
      const std::uint64_t peak = peakWorkingSet(s.process.hProcess);
      (isWizard ? wizardWelcomePeak : minimalPeak) = std::max(isWizard ? wizardWelcomePeak : minimalPeak, peak);
      if (run == kRuns - 1) (isWizard ? wizardModules : minimalModules) = modulesOf(s.process.hProcess);
      end(s);
    }
  }

  Started s = start(wizardExe);
  std::string failure = "the wizard showed no painted window";
  std::uint64_t unixPeak = 0, licencePeak = 0, installedPeak = 0;
  try {
    if (s.seconds >= 0) installedPeak = installThroughThePages(s, unixPeak, licencePeak);
  } catch (const testlib::StepFailure& error) {
    failure = error.what();
  }
  end(s);
  Sleep(300);  // let the ended wizard's clean-up pass before timing here
  const StartWork work = measureStartWork(wizardExe);

  section("start to painted window, medians of " + std::to_string(kRuns) + " alternate starts");
  const double w = median(wizard), m = median(minimal);
  row("Velkorsetup.exe, start to painted welcome page", ms(w), w / m, "<= 1.50");
  row("minimal dialog program, start to painted window", ms(m), 0, "");
  row("  polls that saw a shown window not yet painted", std::to_string(unpainted), 0, "");
  if (work.frames < 0 || work.richEdit < 0) {
    std::printf("bench: the start's own work could not be done here\n");
    return 1;
  }
  row("  of the wizard's start, measured here: first frames cut, decoded",
      std::to_string(work.frameCount) + " / " + ms(work.frames), 0, "");
  row("  the wizard's start less the decoding, against the minimal", ms(w - work.frames),
      (w - work.frames) / m, "");
  row("  at its licence page, measured here: OLE / rich edit",
      ms(work.ole) + " / " + ms(work.richEdit), 0, "");
  row("peak working set, wizard on its welcome page", mib(wizardWelcomePeak), 0, "");
  row("peak working set, minimal dialog program", mib(minimalPeak), 0, "");
  row("  modules loaded on the first page: wizard / minimal",
      std::to_string(wizardModules.size()) + " / " + std::to_string(minimalModules.size()), 0, "");
  std::string extra;
  for (const auto& name : wizardModules)
    if (!std::binary_search(minimalModules.begin(), minimalModules.end(), name))
      extra += (extra.empty() ? "" : " ") + utf8(std::u16string(name.begin(), name.end()));
  std::printf("  (only in the wizard: %s)\n", extra.c_str());
  if (installedPeak == 0) {
    std::printf("bench: the driven installation gave no figure: %s\n", failure.c_str());
    return 1;
  }
  row("  the working set all of these add to this process", mib(work.added), 0, "");
  row("peak working set, wizard on its licence page", mib(licencePeak), 0, "");
  row("peak working set, wizard after a whole installation", mib(installedPeak), 0, "< 32 MiB");
  row("  the Wine process's VmHWM (Unix)", mib(unixPeak), 0, "");
  return 0;
}
