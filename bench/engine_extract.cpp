// How fast the installation moves the payload, under Wine, in ratios measured
// in one run (this program is the image of a synthetic setup file of the real
// payload size):
//   - extraction of the nine members through the Win32 adapters, against
//     CopyFileW of one file of the payload's size;
//   - the same with the setup file's check (a SHA-256 read of the payload) first,
//     and that check against a CRC-32 read of the same blocks (the check it
//     replaced) and against the portable SHA-256 rounds;
//   - message pumps during the extraction and the longest time between two;
//   - the same extraction once more with a real progress bar that repaints at
//     every step, so that the copy's share and the bar's share show apart;
//   - the block copy against a byte-at-a-time copy that pumps after every byte,
//     on a smaller file.
// Prints one row per figure; asserts nothing about time.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "engine/block_copy.h"
#include "payload/crc32.h"
#include "engine/extraction.h"
#include "engine/paced_progress.h"
#include "payload/layout.h"
#include "engine/progress_meter.h"
#include "engine/setup_file.h"
#include "payload/sha256.h"
#include "platform/win32_system.h"

namespace {

using namespace velkor;
using namespace velkor::bench;
using testlib::pumpThreadQueue;

void removeMembers(Win32System& system) {
  for (const auto& m : payload::kMembers) system.deleteFile(m.destination);
}

// Extracts the nine members from an open setup file; seconds, or -1.
double extractAll(Win32System& system, MainWindow& view, FileHandle setup, std::int64_t payloadEnd) {
  ProgressMeter progress(view);
  progress.begin(static_cast<std::int32_t>(payload::kPayloadSize));
  BlockCopier copier(system, view, progress);
  const double start = now();
  for (const auto& m : payload::kMembers)
    if (extractMember(copier, view, setup, payloadEnd, m) != ExtractResult::Written) return -1;
  return now() - start;
}

// The setup file's check as it was before its digest became SHA-256, or with
// any other digest: the file held, the payload's end found, the payload read
// in the check's blocks with a pump after each, every block handed to `feed`.
// Seconds, or -1.
template <typename Feed>
double checkWith(Win32System& system, BenchView& view, Feed&& feed) {
  const double start = now();
  ScopedFile file(system, system.openReadHeld(system.modulePath()));
  const auto end = findPayloadEnd(system, file.get());
  if (!end || !system.seek(file.get(), *end - payload::kPayloadSize, SeekOrigin::Begin)) return -1;
  std::vector<std::uint8_t> block(kDefaultCopyBlock);
  for (std::uint32_t left = payload::kPayloadSize; left > 0;) {
    const std::size_t want = std::min<std::size_t>(left, block.size());
    if (system.read(file.get(), block.data(), want) != want) return -1;
    feed(block.data(), want);
    view.pumpMessages();
    left -= static_cast<std::uint32_t>(want);
  }
  return now() - start;
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

double blockCopy(Win32System& system, BenchView& view, const wchar_t* from, const wchar_t* to,
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
  constexpr int kRuns = 9;

  // The payload as a plain file, for CopyFileW and the small copies.
  const std::vector<std::uint8_t> payload =
      readTail(reinterpret_cast<const wchar_t*>(system.modulePath().c_str()), payload::kPayloadSize);
  CreateDirectoryW(L"C:\\bench", nullptr);
  if (payload.size() != payload::kPayloadSize ||
      !writeFile(L"C:\\bench\\payload.bin", payload.data(), payload.size())) {
    std::printf("bench: cannot read this setup file's payload\n");
    return 1;
  }
  system.createDirectory(u"C:\\Program Files\\VelkorCrypt");

  // Interleaved, so that a busy moment of the machine falls on every kind of
  // run alike; the fastest of each kind counts.
  struct Best {
    double seconds = 1e30;
    double check = 0;  // the setup file's check, within `seconds`
    std::size_t pumps = 0;
    double longestGap = 0, inPumps = 0, inSteps = 0;
    std::size_t steps = 0, paints = 0;
    bool failed = false;
    void take(double t, const BenchView& view, double checkTime = 0) {
      if (t < 0) failed = true;
      if (t < 0 || t >= seconds) return;
      seconds = t;
      check = checkTime;
      pumps = view.pumps;
      longestGap = view.longestGap;
      inPumps = view.inPumps;
      inSteps = view.inSteps;
      steps = view.stepIts;
      paints = view.paints;
    }
  } quiet, painted, paced, checked;
  double copyFile = 1e30;
  double crcRead = 1e30, portableRead = 1e30;  // the check with CRC-32, with portable SHA-256
  for (int run = 0; run < kRuns; ++run) {
    DeleteFileW(L"C:\\bench\\copy.bin");
    double start = now();
    if (!CopyFileW(L"C:\\bench\\payload.bin", L"C:\\bench\\copy.bin", FALSE)) copyFile = -1;
    copyFile = std::min(copyFile, now() - start);

    // The window lives only for the painted run: with no window on the
    // thread a pump has no window-system events to look at either.
    for (Best* kind : {&quiet, &painted, &paced}) {
      removeMembers(system);
      std::unique_ptr<ProgressWindow> window;
      if (kind != &quiet) window = std::make_unique<ProgressWindow>();
      BenchView view(window.get());
      PacedProgressView pacedView(view);
      MainWindow& used = kind == &paced ? static_cast<MainWindow&>(pacedView) : view;
      const ScopedFile opened(system, system.openRead(system.modulePath()));
      kind->take(extractAll(system, used, opened.get(), findPayloadEnd(system, opened.get()).value_or(0)), view);
    }

    removeMembers(system);
    BenchView view;
    start = now();
    SetupFile setup = holdSetupFile(system);
    const SetupFileCheck check = checkSetupFile(system, view, setup);
    const double checkTime = now() - start;
    const double afterCheck =
        check.result == SetupCheck::Sound ? extractAll(system, view, setup.stream.get(), check.payloadEnd) : -1;
    checked.take(afterCheck < 0 ? -1 : checkTime + afterCheck, view, checkTime);

    std::uint32_t crc = 0;
    const double crcTime =
        checkWith(system, view, [&](const std::uint8_t* p, std::size_t n) { crc = crc32Update(crc, p, n); });
    crcRead = crcTime < 0 ? -1 : std::min(crcRead, crcTime);
    Sha256 portable(Sha256::Engine::Portable);
    const double portableTime =
        checkWith(system, view, [&](const std::uint8_t* p, std::size_t n) { portable.update(p, n); });
    if (portable.finish() != system.payloadSeal().value_or(seal::PayloadSeal{}).digest) portableRead = -1;
    else if (portableTime >= 0) portableRead = std::min(portableRead, portableTime);
  }

  constexpr std::uint32_t kSmall = 100'000;
  writeFile(L"C:\\bench\\small.bin", payload.data(), kSmall);
  const double perByte = byteAtATime(L"C:\\bench\\small.bin", L"C:\\bench\\small-bytes.bin", kSmall);
  const double perBlock = best(kRuns, [&] {
    BenchView view;
    return blockCopy(system, view, L"C:\\bench\\small.bin", L"C:\\bench\\small-block.bin", kSmall);
  });

  if (copyFile <= 0 || quiet.failed || painted.failed || paced.failed || checked.failed || perByte <= 0 || perBlock <= 0 ||
      crcRead <= 0 || portableRead <= 0) {
    std::printf("bench: a run failed (copy %.3f, bytes %.3f, block %.3f)\n", copyFile, perByte, perBlock);
    return 1;
  }
  section("extraction, synthetic payload, best of " + std::to_string(kRuns));
  row("CopyFileW of the payload (the plain copy)", ms(copyFile), 0, "");
  row("extraction of the nine members, bar not painted", ms(quiet.seconds), quiet.seconds / copyFile,
      "<= 1.30");
  row("  the same without the time in pumps", ms(quiet.seconds - quiet.inPumps),
      (quiet.seconds - quiet.inPumps) / copyFile, "");
  row("  pumps (count / time in all)",
      std::to_string(quiet.pumps) + " / " + ms(quiet.inPumps), 0, "");
  row("extraction with a real bar repainting at each step", ms(painted.seconds),
      painted.seconds / copyFile, "");
  row("  its copy's share (the run without painting)", ms(quiet.seconds), 0, "");
  row("  its bar's share (difference)", ms(painted.seconds - quiet.seconds), 0, "");
  row("  PBM_STEPIT calls (count / time in all)",
      std::to_string(painted.steps) + " / " + ms(painted.inSteps), 0, "");
  row("extraction with the bar painted at its pace (15 ms)", ms(paced.seconds), paced.seconds / copyFile, "");
  row("  PBM_SETPOS calls (count / time in all)", std::to_string(paced.paints) + " / " + ms(paced.inSteps), 0, "");
  row("longest time between two pumps, bar painted at each step", ms(painted.longestGap), 0, "< 10 ms");
  row("  the same, bar painted at its pace", ms(paced.longestGap), 0, "< 16 ms");
  row("  bar not painted / with the setup file's check",
      ms(quiet.longestGap) + " / " + ms(checked.longestGap), 0, "");
  row("check (SHA-256) + extraction, bar not painted", ms(checked.seconds), checked.seconds / copyFile, "");
  row(Sha256::hardwareAvailable() ? "  the check alone (SHA-256 on the SHA instructions)"
                                   : "  the check alone (SHA-256, portable rounds)",
      ms(checked.check), 0, "");
  row("  the check ÷ the same check with CRC-32 (before)", ms(crcRead), checked.check / crcRead, "<= 1.5");
  row("  the check on the portable rounds ÷ with CRC-32", ms(portableRead), portableRead / crcRead, "");
  row("100,000 bytes one at a time, a pump per byte", ms(perByte), 0, "");
  row("the same in blocks (ratio: how many times faster)", ms(perBlock), perByte / perBlock, "");
  return 0;
}
