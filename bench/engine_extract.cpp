// How fast the installation moves the payload, under Wine, in ratios measured
// in one run (this program is the image of a synthetic setup file of the real
// payload size):
//   - extraction of the nine members through the Win32 adapters, against
//     CopyFileW of one file of the payload's size;
//   - the same with the setup file's check (a CRC-32 read of the payload) first;
//   - message pumps during the extraction and the longest time between two;
//   - the block copy against a byte-at-a-time copy that pumps after every byte,
//     on a smaller file.
// The view does not paint: the progress bar's own cost is not the copy's.
// Prints figures; asserts nothing about time.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/block_copy.h"
#include "engine/extraction.h"
#include "engine/payload_layout.h"
#include "engine/progress_meter.h"
#include "engine/setup_file.h"
#include "platform/win32_system.h"

namespace {

using namespace velkor;

double now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / frequency;
}

void pumpThreadQueue() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      PostQuitMessage(0);
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Pumps the real queue, paints nothing, and times the gaps between pumps.
class QuietView : public WizardView {
 public:
  void setText(int, const std::u16string&) override {}
  void show(int, bool) override {}
  void setProgressRange(std::uint16_t, std::uint16_t) override {}
  void setProgressStep(int) override {}
  void setProgressPos(int) override {}
  void stepProgress() override { ++steps; }
  void pumpMessages() override {
    const double t = now();
    if (last > 0) longest = std::max(longest, t - last);
    ++pumps;
    pumpThreadQueue();
    last = now();
    inPumps += last - t;
  }
  int messageBox(const std::u16string&, const std::u16string&, unsigned) override { return IDOK; }
  void updateWindow() override {}
  void stopAnimation(int) override {}

  void restart() {
    pumps = steps = 0;
    last = longest = inPumps = 0;
  }
  std::size_t pumps = 0;
  std::size_t steps = 0;
  double last = 0;
  double longest = 0;  // from the end of one pump to the start of the next
  double inPumps = 0;
};

void removeMembers(Win32System& system) {
  for (const auto& m : payload::kMembers) system.deleteFile(m.destination);
}

// Extracts the nine members from an open setup file; seconds, or -1.
double extractAll(Win32System& system, QuietView& view, const SetupFile& setup) {
  ProgressMeter progress(view);
  progress.begin(static_cast<std::int32_t>(payload::kPayloadSize));
  BlockCopier copier(system, view, progress);
  const double start = now();
  for (const auto& m : payload::kMembers)
    if (extractMember(copier, view, setup.stream.get(), setup.payloadEnd, m) != ExtractResult::Written)
      return -1;
  return now() - start;
}

bool writeFile(const wchar_t* path, const std::uint8_t* data, std::size_t size) {
  HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  const bool ok = WriteFile(f, data, static_cast<DWORD>(size), &put, nullptr) && put == size;
  CloseHandle(f);
  return ok;
}

std::vector<std::uint8_t> readTail(const std::u16string& path, std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  FILE* f = _wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"rb");
  if (f == nullptr) return {};
  _fseeki64(f, -static_cast<std::int64_t>(size), SEEK_END);
  bytes.resize(std::fread(bytes.data(), 1, size, f));
  std::fclose(f);
  return bytes;
}

// The byte-at-a-time copy with a pump after every byte and the per-byte
// progress rule: the other end of the block copy's ratio.
double byteAtATime(const wchar_t* from, const wchar_t* to, std::uint32_t count) {
  FILE* in = _wfopen(from, L"rb");
  FILE* out = _wfopen(to, L"wb+");
  if (in == nullptr || out == nullptr) return -1;
  std::uint32_t counter = 0;
  std::size_t steps = 0;
  const double start = now();
  for (std::uint32_t i = 0; i < count; ++i) {
    std::fputc(std::fgetc(in), out);
    pumpThreadQueue();
    if (++counter % kBytesPerStep == 0) {
      ++steps;
      counter = 0;
    }
  }
  std::fclose(out);
  const double seconds = now() - start;
  std::fclose(in);
  return steps == count / kBytesPerStep ? seconds : -1;
}

double blockCopy(Win32System& system, QuietView& view, const wchar_t* from, const wchar_t* to,
                 std::uint32_t count) {
  ProgressMeter progress(view);
  progress.begin(static_cast<std::int32_t>(count));
  BlockCopier copier(system, view, progress);
  ScopedFile in(system, system.openRead(reinterpret_cast<const char16_t*>(from)));
  ScopedFile out(system, system.openReadWrite(reinterpret_cast<const char16_t*>(to)));
  const double start = now();
  const CopyResult result = copier.copy(in.get(), out.get(), count);
  out.close();
  const double seconds = now() - start;
  return result == CopyResult::Complete ? seconds : -1;
}

template <typename F>
double best(int runs, F&& once) {
  double fastest = 1e30;
  for (int i = 0; i < runs; ++i) {
    const double t = once();
    if (t < 0) return -1;
    fastest = std::min(fastest, t);
  }
  return fastest;
}

}  // namespace

int main() {
  Win32System system;
  QuietView view;
  constexpr int kRuns = 5;

  // The payload as a plain file, for CopyFileW and the small copies.
  const std::vector<std::uint8_t> payload = readTail(system.modulePath(), payload::kPayloadSize);
  CreateDirectoryW(L"C:\\bench", nullptr);
  if (payload.size() != payload::kPayloadSize ||
      !writeFile(L"C:\\bench\\payload.bin", payload.data(), payload.size())) {
    std::printf("bench: cannot read this setup file's payload\n");
    return 1;
  }
  system.createDirectory(u"C:\\Program Files\\VelkorCrypt");

  // Interleaved, so that a busy moment of the machine falls on every kind of
  // run alike; the fastest of each kind counts.
  double copyFile = 1e30, extraction = 1e30, checked = 1e30, checkShare = 0;
  std::size_t pumps = 0;
  double longestGap = 0, pumpShare = 0, longestGapWithCheck = 0;
  for (int run = 0; run < kRuns; ++run) {
    DeleteFileW(L"C:\\bench\\copy.bin");
    double start = now();
    if (!CopyFileW(L"C:\\bench\\payload.bin", L"C:\\bench\\copy.bin", FALSE)) copyFile = -1;
    copyFile = std::min(copyFile, now() - start);

    removeMembers(system);
    SetupFile opened;
    opened.stream = ScopedFile(system, system.openRead(system.modulePath()));
    const auto end = findPayloadEnd(system, opened.stream.get());
    opened.payloadEnd = end.value_or(0);
    view.restart();
    const double copy = extractAll(system, view, opened);
    opened.stream.close();
    if (copy < 0) extraction = -1;
    if (copy < extraction) {
      extraction = copy;
      pumps = view.pumps;
      longestGap = view.longest;
      pumpShare = view.inPumps;
    }

    removeMembers(system);
    view.restart();
    start = now();
    SetupFileCheck check = openSetupFile(system, view);
    const double checkTime = now() - start;
    const double afterCheck = check.result == SetupCheck::Sound ? extractAll(system, view, check.file) : -1;
    if (afterCheck < 0) checked = -1;
    if (checkTime + afterCheck < checked) {
      checked = checkTime + afterCheck;
      checkShare = checkTime;
      longestGapWithCheck = view.longest;
    }
  }

  constexpr std::uint32_t kSmall = 500'000;
  writeFile(L"C:\\bench\\small.bin", payload.data(), kSmall);
  const double perByte = byteAtATime(L"C:\\bench\\small.bin", L"C:\\bench\\small-bytes.bin", kSmall);
  const double perBlock = best(kRuns, [&] {
    return blockCopy(system, view, L"C:\\bench\\small.bin", L"C:\\bench\\small-block.bin", kSmall);
  });

  if (copyFile <= 0 || extraction <= 0 || checked <= 0 || perByte <= 0 || perBlock <= 0) {
    std::printf("bench: a run failed (copy %.3f, extraction %.3f, checked %.3f, bytes %.3f, block %.3f)\n",
                copyFile, extraction, checked, perByte, perBlock);
    return 1;
  }
  std::printf("engine extraction bench, %u-byte payload, best of %d runs\n",
              static_cast<unsigned>(payload::kPayloadSize), kRuns);
  std::printf("  CopyFileW of one file of that size          %8.1f ms\n", copyFile * 1000);
  std::printf("  extraction of the nine members               %8.1f ms  ratio %.2f (goal <= 1.30)\n",
              extraction * 1000, extraction / copyFile);
  std::printf("  check (CRC-32) + extraction                  %8.1f ms  ratio %.2f (check %.1f ms)\n",
              checked * 1000, checked / copyFile, checkShare * 1000);
  std::printf("  pumps during the extraction                  %8zu  taking %.1f ms in all (%.0f us each)\n",
              pumps, pumpShare * 1000, pumps ? pumpShare * 1e6 / pumps : 0.0);
  std::printf("  extraction without the pumps' time           %8.1f ms  ratio %.2f\n",
              (extraction - pumpShare) * 1000, (extraction - pumpShare) / copyFile);
  std::printf("  longest time between two pumps               %8.2f ms (goal < 10; with the check %.2f ms)\n",
              longestGap * 1000, longestGapWithCheck * 1000);
  std::printf("  %u bytes byte-at-a-time, a pump per byte   %8.1f ms\n", kSmall, perByte * 1000);
  std::printf("  the same in blocks                           %8.1f ms  block copy %.0f times faster\n",
              perBlock * 1000, perByte / perBlock);
  return 0;
}
