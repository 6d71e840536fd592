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
#include <optional>
#include <string>

#include "engine/block_copy.h"
#include "engine/payload_layout.h"
#include "platform/file_system.h"
#include "platform/payload_seal.h"
#include "platform/system.h"
#include "platform/wizard_view.h"

namespace velkor {

enum class SetupCheck {
  Sound,
  Unopenable,  // not found, or not to be held against other programs
  TooShort,    // less than a payload before the payload's end
  NoSeal,      // the image carries no seal for a payload of this size
  Corrupted,   // the payload's digest differs from the seal's
};

// The setup file as the wizard holds it; `stream` is empty when it could not
// be opened so.
struct SetupFile {
  std::u16string path;
  ScopedFile stream;
};

// Where the font bundle's bytes lie: in the held setup file, from `start`.
struct BundleSource {
  FileHandle file;
  std::int64_t start = 0;
};

// Opens the running executable's file and holds it (FileSystem::openReadHeld).
SetupFile holdSetupFile(System& system);

struct SetupFileCheck {
  SetupCheck result = SetupCheck::Unopenable;
  std::int64_t payloadEnd = 0;  // member offsets count back from here; set when Sound
};

// Checks an open setup file against `seal`: where its payload ends, whether a
// whole payload of `payloadSize` bytes lies before that, and whether its
// digest is the seal's. `afterBlock` runs after every block read. The wizard
// and the payload tool's verification share it.
SetupFileCheck checkPayload(FileSystem& fs, FileHandle file, const std::optional<seal::PayloadSeal>& seal,
                            std::uint32_t payloadSize, std::size_t blockSize,
                            const std::function<void()>& afterBlock);

// The wizard's check of its held file against its own seal; pumps messages
// after every block it reads, so the window stays responsive.
SetupFileCheck checkSetupFile(System& system, WizardView& view, const SetupFile& setup,
                              std::uint32_t payloadSize = payload::kPayloadSize,
                              std::size_t blockSize = kDefaultCopyBlock);

// Where the payload of an open file ends, from its size and its PE header.
std::optional<std::int64_t> findPayloadEnd(FileSystem& fs, FileHandle file);

}  // namespace velkor
