// Shared pieces of the engine's tests: setup-file images with a PE header,
// deterministic payload bytes, a recording set of the other modules'
// operations, and a fake machine that holds them together.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "engine/install_sequence.h"
#include "payload/sha256.h"
#include "payload/layout.h"
#include "engine/wizard_state.h"
#include "fakes/fake_system.h"
#include "fakes/fake_main_window.h"

namespace velkor::testing {

inline void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline constexpr std::size_t kNtAt = 0x80;

// An image that starts like a PE file (DOS header, NT headers with sixteen data
// directories) and is padded to `size` bytes.
inline std::vector<std::uint8_t> peImage(std::size_t size, bool pe32plus = false) {
  std::vector<std::uint8_t> b(size < 0x200 ? 0x200 : size, 0);
  b[0] = 'M';
  b[1] = 'Z';
  put32(b, 0x3C, kNtAt);
  b[kNtAt] = 'P';
  b[kNtAt + 1] = 'E';
  put16(b, kNtAt + 4, pe32plus ? 0x8664 : 0x14C);
  put16(b, kNtAt + 20, pe32plus ? 240 : 224);  // SizeOfOptionalHeader
  put16(b, kNtAt + 24, pe32plus ? 0x20B : 0x10B);
  put32(b, kNtAt + 24 + (pe32plus ? 108 : 92), 16);  // NumberOfRvaAndSizes
  return b;
}

// Declares a certificate table at `offset` of `size` bytes in data directory 4.
inline void declareCertificateTable(std::vector<std::uint8_t>& image, std::uint32_t offset,
                                    std::uint32_t size, bool pe32plus = false) {
  const std::size_t entry = kNtAt + 24 + (pe32plus ? 112 : 96) + 4 * 8;
  put32(image, entry, offset);
  put32(image, entry + 4, size);
}

// Deterministic bytes that differ at every offset of a member's slice.
inline std::vector<std::uint8_t> payloadBytes(std::size_t size, std::uint32_t seed = 1) {
  std::vector<std::uint8_t> b(size);
  std::uint32_t x = seed * 2654435761u + 12345u;
  for (auto& v : b) {
    x = x * 1664525u + 1013904223u;
    v = static_cast<std::uint8_t>(x >> 24);
  }
  return b;
}

inline std::vector<std::uint8_t> concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A member table of the real shape (nine members, real destinations, from the
// payload's end to its start) with other lengths.
inline std::vector<payload::Member> scaledMembers(const std::vector<std::uint32_t>& lengths) {
  std::vector<payload::Member> out;
  std::int32_t end = 0;
  for (std::size_t i = 0; i < payload::kMembers.size(); ++i) {
    payload::Member m = payload::kMembers[i];
    m.length = lengths[i];
    m.start = end - static_cast<std::int32_t>(m.length);
    end = m.start;
    out.push_back(m);
  }
  return out;
}

inline std::uint32_t sumOf(const std::vector<payload::Member>& members) {
  std::uint32_t total = 0;
  for (const auto& m : members) total += m.length;
  return total;
}

// The seal the payload tool writes for `payload`.
inline seal::PayloadSeal sealOf(const std::vector<std::uint8_t>& payload) {
  return seal::PayloadSeal{static_cast<std::uint32_t>(payload.size()), sha256(payload.data(), payload.size())};
}

// The slice of `payload` that holds a member.
inline std::vector<std::uint8_t> sliceOf(const std::vector<std::uint8_t>& payload,
                                         const payload::Member& m) {
  const std::size_t from = payload.size() + m.start;
  return std::vector<std::uint8_t>(payload.begin() + from, payload.begin() + from + m.length);
}

// The other modules' operations: logged in the shared journal; the font step
// runs a test-supplied body with the installation's copier.
class RecordingOperations : public InstallOperations {
 public:
  std::vector<std::u16string>* journal = nullptr;
  std::function<void(VersionClass, BlockCopier&, const BundleSource&)> fontStep;
  std::vector<VersionClass> fontVersions;

  void removePreviousInstallation() override { note(u"ops removePreviousInstallation"); }
  void provisionFonts(VersionClass version, BlockCopier& copier, const BundleSource& bundle) override {
    note(u"ops provisionFonts");
    fontVersions.push_back(version);
    if (fontStep) fontStep(version, copier, bundle);
  }
  void writeRegistryConfiguration() override { note(u"ops writeRegistryConfiguration"); }
  void createShortcuts() override { note(u"ops createShortcuts"); }

  std::size_t count(const std::u16string& entry) const {
    std::size_t n = 0;
    for (const auto& e : notes) n += e == entry;
    return n;
  }
  std::vector<std::u16string> notes;

 private:
  void note(const std::u16string& e) {
    notes.push_back(e);
    if (journal) journal->push_back(e);
  }
};

// A machine with a setup file on it, and everything the sequence talks to.
struct FakeMachine {
  fakes::FakeSystem system;
  fakes::FakeMainWindow window;
  WizardState state;
  RecordingOperations operations;
  std::vector<std::u16string> journal;
  std::vector<payload::Member> members{payload::kMembers.begin(), payload::kMembers.end()};
  std::vector<std::uint8_t> payload;
  EngineConfig config;

  FakeMachine() {
    system.journal = &journal;
    window.journal = &journal;
    operations.journal = &journal;
    system.addDirectory(u"C:\\Program Files");
    system.addDirectory(u"C:\\windows\\Fonts");
    system.addDirectory(u"C:\\Downloads");
    // What the Next handler has done before it calls the sequence.
    state.bInstalling = 1;
    state.bConfigurePending = 1;
    state.bSetupStarted = 1;
    state.bBusy = 1;
  }

  // Uses a smaller table of the same shape.
  void scale(const std::vector<std::uint32_t>& lengths) {
    members = scaledMembers(lengths);
    config.members = MemberTable{members.data(), members.size()};
    config.payloadSize = sumOf(members);
  }

  // Writes image + payload (+ trailer) as the setup file and seals the payload.
  void placeSetupFile(std::size_t imageSize = 0x400,
                      const std::vector<std::uint8_t>& trailer = {}) {
    payload = payloadBytes(config.payloadSize);
    system.addFile(system.setupPath, concat(concat(peImage(imageSize), payload), trailer));
    system.seal = sealOf(payload);
  }

  // The setup file as the wizard holds it from its start; run() holds it
  // then unless a test did so earlier.
  SetupFile setup;
  void hold() { setup = holdSetupFile(system); }

  void run() {
    if (setup.path.empty()) hold();
    InstallSequence(system, window, state, operations, setup, config).run();
  }
};

// The running byte counts, across all copies of one installation, at which a
// byte-at-a-time copy steps the bar: the counter goes up after every byte, and
// the bar steps and the counter restarts at every 100,000th.
inline std::vector<std::uint64_t> perByteSteps(const std::vector<std::uint32_t>& copies) {
  std::vector<std::uint64_t> at;
  std::uint32_t counter = 0;
  std::uint64_t byte = 0;
  for (const std::uint32_t n : copies)
    for (std::uint32_t i = 0; i < n; ++i) {
      ++byte;
      if (++counter % 100'000u == 0) {
        at.push_back(byte);
        counter = 0;
      }
    }
  return at;
}

// The bar's steps and the message pumps of the copies, each noted with the
// bytes written by then.
struct StepLog {
  struct Pump {
    std::uint64_t bytes;
    std::size_t steps;
  };
  std::vector<std::uint64_t> stepsAt;
  std::vector<Pump> pumps;

  void attach(fakes::FakeMainWindow& window, const fakes::FakeSystem& fs) {
    window.onStepIt = [this, &fs] { stepsAt.push_back(fs.bytesWritten()); };
    window.onPump = [this, &fs] { pumps.push_back({fs.bytesWritten(), stepsAt.size()}); };
  }
};

// Copies in blocks of `block` bytes stepped the bar as a byte-at-a-time copy
// would have: as many steps in all, none before its 100,000th byte was
// written nor after the end of the block that holds it, and at every pump
// (the only moment the window can show the bar) exactly the steps due by then.
inline void expectStepsOfAByteAtATimeCopy(const StepLog& log, const std::vector<std::uint32_t>& copies,
                                          std::size_t block) {
  const std::vector<std::uint64_t> expected = perByteSteps(copies);
  ASSERT_EQ(log.stepsAt.size(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    ASSERT_GE(log.stepsAt[k], expected[k]) << "step " << k << " came before its byte";
    ASSERT_LT(log.stepsAt[k], expected[k] + block) << "step " << k << " came after its block";
  }
  ASSERT_FALSE(log.pumps.empty());
  for (const StepLog::Pump& pump : log.pumps) {
    const auto due = static_cast<std::size_t>(
        std::upper_bound(expected.begin(), expected.end(), pump.bytes) - expected.begin());
    ASSERT_EQ(pump.steps, due) << "at the pump after byte " << pump.bytes;
  }
  EXPECT_EQ(log.pumps.back().bytes, std::accumulate(copies.begin(), copies.end(), std::uint64_t{0}))
      << "the last block is followed by a pump";
}

}  // namespace velkor::testing
