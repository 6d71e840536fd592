// The seal: a fixed-size record in the image that says how long the payload
// behind the image is and what its SHA-256 digest is. The image carries it unfilled as
// an RCDATA resource of its own; the payload tool finds it in the image by its
// magic (never by parsing the payload) and fills it when it appends the
// payload; the engine reads it back from its own resource and checks the
// payload before it changes anything.
//
// Layout, little-endian, kSealRecordSize bytes:
//   0  magic (16 bytes)
//  16  payload size in bytes (u32), 0 while unfilled
//  20  SHA-256 of the payload (32 bytes), zeros while unfilled
//
// This header is read by the resource compiler too (payload_seal.rc), so the
// resource and the code share one definition of the identifier and the magic.
#pragma once

// Resource identifier of the seal (type RCDATA).
#define VELKOR_SEAL_RESOURCE_ID 3001
// The magic as four little-endian 32-bit words (the form the resource compiler
// writes): bytes "VELKORSEAL" followed by 9C 3E B3 05 7A D1.
#define VELKOR_SEAL_MAGIC_WORDS 0x4B4C4556L, 0x4553524FL, 0x3E9C4C41L, 0xD17A05B3L

#ifndef RC_INVOKED

#include <cstddef>
#include <cstdint>
#include <optional>

#include "payload/sha256.h"

namespace velkor::seal {

inline constexpr int kResourceId = VELKOR_SEAL_RESOURCE_ID;
inline constexpr std::size_t kMagicSize = 16;
inline constexpr std::size_t kSealRecordSize = kMagicSize + 4 + 32;

struct PayloadSeal {
  std::uint32_t payloadSize = 0;
  Sha256Digest digest{};
};

// Reads a seal record from `size` bytes at `data` (the resource's bytes):
// nothing unless they are exactly one record with the seal's magic. An
// unfilled record reads as size 0 and an all-zero digest.
std::optional<PayloadSeal> parseSeal(const void* data, std::size_t size);

// Where the image's seal record starts: the offset of the only occurrence of
// the magic in `size` bytes, or nothing when there is none, more than one, or
// too few bytes behind it for a whole record.
std::optional<std::size_t> findSealRecord(const void* image, std::size_t size);

// How often the magic occurs in `size` bytes (for messages: an image must hold
// it exactly once).
std::size_t countSealMagic(const void* image, std::size_t size);

// Writes a filled record at `record` (kSealRecordSize bytes, magic included).
void writeSeal(void* record, const PayloadSeal& seal);

}  // namespace velkor::seal

#endif  // RC_INVOKED
