// The PE headers of an image, read where the setup file's payload ends and
// where the payload tool grows a stand-in. A signer appends its certificate
// table behind the payload and declares it in the PE header (data directory
// 4, whose "address" is a file offset); when that table ends exactly at the
// end of the file, the payload ends where the table begins. The header bytes
// are untrusted: every read is checked against the bytes given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velkor::pe {

inline constexpr std::size_t kDosHeaderSize = 64;
// "PE\0\0", the file header and the larger (PE32+) optional header with all
// sixteen data directories.
inline constexpr std::size_t kNtHeadersSize = 4 + 20 + 240;

// Offsets inside the PE32 optional header of the fields a grown image updates.
inline constexpr std::size_t kOptSizeOfInitializedData = 8;
inline constexpr std::size_t kOptSizeOfImage = 56;

struct CertificateTable {
  std::uint32_t offset = 0;  // from the start of the file
  std::uint32_t size = 0;
};

// e_lfanew of a DOS header that begins with "MZ"; nothing otherwise.
std::optional<std::uint32_t> ntHeadersOffset(const std::uint8_t* bytes, std::size_t size);

// The certificate-table entry of NT headers that begin with "PE\0\0" (PE32 or
// PE32+); nothing when the headers are cut short, malformed, or declare no table.
std::optional<CertificateTable> certificateTable(const std::uint8_t* bytes, std::size_t size);

// The offset one past the payload's last byte in a file of `fileSize` bytes.
std::uint64_t payloadEnd(std::uint64_t fileSize, const std::optional<CertificateTable>& table);

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

// Parses the headers and the section table of a 32-bit (i386, PE32) image. On failure returns false
// and says why in `error`.
bool readPeLayout(const unsigned char* data, std::size_t size, PeLayout& layout, std::string& error);

// The PE image checksum (as the loader's CheckSumMappedFile computes it) of
// `size` bytes whose checksum field is at `checkSumOffset`.
std::uint32_t peCheckSum(const unsigned char* data, std::size_t size, std::size_t checkSumOffset);

}  // namespace velkor::pe
