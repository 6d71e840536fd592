// The number of bytes one installation will copy: the payload, plus the font
// bundle parts that the font step of this Windows class is going to copy on
// this machine. It fixes the progress bar's range before the first member.
#pragma once

#include <cstdint>

#include "engine/font_conditions.h"
#include "payload/layout.h"
#include "engine/version_class.h"

namespace velkor {

std::int32_t plannedByteTotal(VersionClass version, const FontFolder& fonts,
                              std::uint32_t payloadSize = payload::kPayloadSize);

}  // namespace velkor
