// Builds the payload (exactly the member table's layout, nothing else) and the
// setup file around it: image with its seal filled, padding, payload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "payload/layout.h"

namespace velkor::mkpayload {

// Bad input: the message names the file and what is wrong with it.
struct InputError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The deterministic filler of --synthetic members (and of the skin data file):
// `size` bytes of a stream that depends only on `seed` and the byte's position.
void fillDeterministic(unsigned char* dst, std::size_t size, std::uint64_t seed);

// A member as --synthetic writes it: the filler seeded with the member's
// number, its header kept (MZ, the skin data magic, the font tag of each part).
void fillSyntheticMember(const payload::Member& member, unsigned char* dst);

// The file in --standins that stands in for every member of a program or
// library kind (built by tools/standins); nullptr for the other kinds.
const char* standinFileName(payload::MemberKind kind);

// The demo payload: each program or library member is its kind's stand-in from
// `standinsDir` grown to the member's length; the three font parts come from
// `fontsDir` (named as the parts are installed); the skin data file is
// generated. Throws InputError.
std::vector<unsigned char> buildDemoPayload(const std::string& standinsDir, const std::string& fontsDir);

// The synthetic payload: every member by fillSyntheticMember.
std::vector<unsigned char> buildSyntheticPayload();

// Zero bytes between image and payload, so that the setup file's length is a
// multiple of 8 (a signer then appends its table right behind the payload).
std::size_t paddingAfterImage(std::size_t imageSize);

// Fills the seal of `image` (found by its magic) for `payload` and writes
// image, padding and payload to `outPath` through a temporary file beside it,
// so that no partial output is ever left. Throws InputError.
void writeSetupFile(std::vector<unsigned char> image, const std::vector<unsigned char>& payload,
                    const std::string& outPath);

// Reads a whole regular file, refusing one longer than `limit` bytes; `what`
// names it in messages ("stand-in", "image"). Throws InputError.
std::vector<unsigned char> readFile(const std::string& path, std::size_t limit, const std::string& what);

// A table name (always ASCII) as a narrow string.
std::string narrow(const char16_t* text);

}  // namespace velkor::mkpayload
