// The setup file, read from the running executable's own path. The wizard
// holds it from its start to the last copy of the installation, open for
// reading with other programs' writes and deletes refused, and reads every
// payload byte through that one handle: what it checked is what it installs.
// Before the installation changes anything the file must hold a whole payload
// before its end (the file's end, or the start of a certificate table the PE
// header declares there), and that payload's SHA-256 must equal the image's seal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/block_copy.h"
#include "payload/layout.h"
#include "payload/sha256.h"
#include "platform/file_system.h"
#include "payload/seal.h"
#include "platform/system.h"
#include "platform/main_window.h"

namespace velkor {

enum class SetupCheck {
  Sound,
  Unopenable,  // not found, or not to be held against other programs
  TooShort,    // less than a payload before the payload's end
  NoSeal,      // the image carries no seal for a payload of this size
  Corrupted,   // the payload's digest differs from the seal's
};

struct SetupFileCheck {
  SetupCheck result = SetupCheck::Unopenable;
  std::int64_t payloadEnd = 0;  // member offsets count back from here; set when Sound
};

// The check of an open setup file, one block at a time, so that it can run in
// the moments the window has nothing else to do: where its payload ends,
// whether a whole payload of `payloadSize` bytes lies before that, and whether
// its digest is `seal`'s. Reads through `file` and nothing else, from its
// first step to its last.
class PayloadCheck {
 public:
  PayloadCheck(FileSystem& fs, FileHandle file, const std::optional<seal::PayloadSeal>& seal,
               std::uint32_t payloadSize, std::size_t blockSize);
  PayloadCheck(const PayloadCheck&) = delete;
  PayloadCheck& operator=(const PayloadCheck&) = delete;

  // Reads and hashes the next block and returns true; once the payload is
  // read, decides and returns false (at once when there is nothing to read).
  bool step();
  bool done() const { return done_; }
  // The result; meaningful once done().
  const SetupFileCheck& result() const { return result_; }

 private:
  void finish(SetupCheck result);

  FileSystem& fs_;
  FileHandle file_;
  std::optional<seal::PayloadSeal> seal_;
  std::uint32_t payloadSize_;
  std::vector<std::uint8_t> block_;
  Sha256 digest_;
  std::uint32_t remaining_ = 0;
  bool started_ = false;
  bool done_ = false;
  SetupFileCheck result_;
};

// The setup file as the wizard holds it; `stream` is empty when it could not
// be opened so. `check` is its check once begun ahead of the installation.
struct SetupFile {
  std::u16string path;
  ScopedFile stream;
  std::unique_ptr<PayloadCheck> check;
};

// Where the font bundle's bytes lie: in the held setup file, from `start`.
struct BundleSource {
  FileHandle file;
  std::int64_t start = 0;
};

// Opens the running executable's file and holds it (FileSystem::openReadHeld).
SetupFile holdSetupFile(System& system);

// Checks an open setup file against `seal`: where its payload ends, whether a
// whole payload of `payloadSize` bytes lies before that, and whether its
// digest is the seal's. `afterBlock` runs after every block read. The wizard
// and the payload tool's verification share it.
SetupFileCheck checkPayload(FileSystem& fs, FileHandle file, const std::optional<seal::PayloadSeal>& seal,
                            std::uint32_t payloadSize, std::size_t blockSize,
                            const std::function<void()>& afterBlock);

// One more block of the held file's check against the wizard's own seal,
// begun on the first call; for the moments the window is idle before the
// installation. Returns whether more remains. Nothing else may read the file
// until checkSetupFile has the result.
bool advanceSetupCheck(System& system, SetupFile& setup, std::uint32_t payloadSize = payload::kPayloadSize,
                       std::size_t blockSize = kDefaultCopyBlock);

// The wizard's check of its held file against its own seal: whatever an
// earlier advanceSetupCheck left is finished (or the whole check run), with
// the messages pumped after every block, so the window stays responsive.
SetupFileCheck checkSetupFile(System& system, MainWindow& view, SetupFile& setup,
                              std::uint32_t payloadSize = payload::kPayloadSize,
                              std::size_t blockSize = kDefaultCopyBlock);

// Where the payload of an open file ends, from its size and its PE header.
std::optional<std::int64_t> findPayloadEnd(FileSystem& fs, FileHandle file);

}  // namespace velkor
