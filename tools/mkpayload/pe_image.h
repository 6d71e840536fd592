// Just enough of the PE32 format to grow a stand-in program or library to the
// exact length of its payload member and to check that it was grown right.
// Every read is bounds-checked: a malformed file yields an error, never a read
// outside the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velkor::mkpayload {

struct PeSection {
  char name[9] = {};               // NUL-terminated copy of the 8-byte name
  std::size_t headerOffset = 0;    // file offset of its section-table entry
  std::uint32_t virtualSize = 0;
  std::uint32_t virtualAddress = 0;
  std::uint32_t sizeOfRawData = 0;
  std::uint32_t pointerToRawData = 0;
  std::uint32_t characteristics = 0;
};

struct PeLayout {
  std::size_t optionalHeaderOffset = 0;
  std::size_t checkSumOffset = 0;  // file offset of the optional header's CheckSum
  std::uint32_t sectionAlignment = 0;
  std::uint32_t fileAlignment = 0;
  std::uint32_t sizeOfImage = 0;
  std::uint32_t checkSum = 0;
  std::uint32_t symbolTablePointer = 0;
  std::uint32_t certificateTableSize = 0;  // data directory 4; 0 when unsigned
  std::vector<PeSection> sections;

  // The section whose raw data lies furthest into the file; nullptr if none has any.
  const PeSection* lastSectionInFile() const;
  // File offset just behind that section's raw data (0 if none).
  std::uint64_t lastSectionEnd() const;
};

// Parses the headers of a 32-bit (i386, PE32) image. On failure returns false
// and says why in `error`.
bool readPeLayout(const unsigned char* data, std::size_t size, PeLayout& layout, std::string& error);

// Grows a PE file in place to `memberLength` bytes: `data` holds the file's
// `fileSize` bytes followed by zeros up to `memberLength`. The last section's
// raw data and virtual size are extended to the new end, SizeOfImage and
// SizeOfInitializedData follow, and the checksum is recomputed. Returns an
// empty string on success, else what is wrong with the file.
std::string growPe(unsigned char* data, std::size_t fileSize, std::size_t memberLength);

// The PE image checksum (as the loader's CheckSumMappedFile computes it) of
// `size` bytes whose checksum field is at `checkSumOffset`.
std::uint32_t peCheckSum(const unsigned char* data, std::size_t size, std::size_t checkSumOffset);

}  // namespace velkor::mkpayload
