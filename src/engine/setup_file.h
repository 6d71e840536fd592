// The setup file, read from the running executable's own path. Before the
// installation changes anything it must open, hold a whole payload before its
// end (the file's end, or the start of a certificate table the PE header
// declares there), and that payload's CRC-32 must equal the image's seal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/block_copy.h"
#include "engine/payload_layout.h"
#include "platform/file_system.h"
#include "platform/system.h"
#include "platform/wizard_view.h"

namespace velkor {

enum class SetupCheck {
  Sound,
  Unopenable,
  TooShort,   // less than a payload before the payload's end
  NoSeal,     // the image carries no seal for a payload of this size
  Corrupted,  // the CRC-32 differs from the seal's
};

// The setup file, open for reading, after its check.
struct SetupFile {
  std::u16string path;
  ScopedFile stream;
  std::int64_t payloadEnd = 0;  // member offsets count back from here
};

struct SetupFileCheck {
  SetupCheck result = SetupCheck::Unopenable;
  SetupFile file;  // open only when the result is Sound
};

// Opens and checks the setup file; pumps messages after every block it reads.
SetupFileCheck openSetupFile(System& system, WizardView& view,
                             std::uint32_t payloadSize = payload::kPayloadSize,
                             std::size_t blockSize = kDefaultCopyBlock);

// Where the payload of an open file ends, from its size and its PE header.
std::optional<std::int64_t> findPayloadEnd(FileSystem& fs, FileHandle file);

}  // namespace velkor
