// Just enough of the PE32 format to grow a stand-in program or library to the
// exact length of its payload member and to check that it was grown right.
// Every read is bounds-checked: a malformed file yields an error, never a read
// outside the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include "payload/pe_headers.h"

namespace velkor::mkpayload {

// Grows a PE file in place to `memberLength` bytes: `data` holds the file's
// `fileSize` bytes followed by zeros up to `memberLength`. The last section's
// raw data and virtual size are extended to the new end, SizeOfImage and
// SizeOfInitializedData follow, and the checksum is recomputed. Returns an
// empty string on success, else what is wrong with the file.
std::string growPe(unsigned char* data, std::size_t fileSize, std::size_t memberLength);

}  // namespace velkor::mkpayload
