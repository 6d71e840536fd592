// One payload member out of the setup file into its destination.
#pragma once

#include <cstdint>

#include "engine/block_copy.h"
#include "payload/layout.h"
#include "platform/file_system.h"
#include "platform/main_window.h"

namespace velkor {

enum class ExtractResult {
  Written,
  DestinationUnopenable,
  ShortRead,    // the destination was deleted again
  WriteFailed,  // the destination was deleted again
};

// Seeks to the member's start (payloadEnd + member.start), shows the
// destination on the status line, opens it "wb+" and copies the member's
// length into it. A destination left incomplete is deleted.
ExtractResult extractMember(BlockCopier& copier, MainWindow& view, FileHandle setup,
                            std::int64_t payloadEnd, const payload::Member& member);

}  // namespace velkor
