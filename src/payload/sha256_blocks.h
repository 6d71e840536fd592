// The block functions behind Sha256: each runs the compression function over
// `count` whole 64-byte blocks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velkor::sha256_blocks {

extern const std::uint32_t kRoundConstants[64];

void portable(std::uint32_t* state, const std::uint8_t* blocks, std::size_t count);

// Only where hardwareAvailable() is true; null on processors of another family.
extern void (*const shaExtensions)(std::uint32_t* state, const std::uint8_t* blocks, std::size_t count);
bool shaExtensionsAvailable();

}  // namespace velkor::sha256_blocks
