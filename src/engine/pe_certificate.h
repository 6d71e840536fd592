// Where the payload ends. A signer appends its certificate table behind the
// payload and declares it in the PE header (data directory 4, whose "address"
// is a file offset); when that table ends exactly at the end of the file, the
// payload ends where the table begins. The header bytes are untrusted: every
// read is checked against the bytes given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace velkor::pe {

inline constexpr std::size_t kDosHeaderSize = 64;
// "PE\0\0", the file header and the larger (PE32+) optional header with all
// sixteen data directories.
inline constexpr std::size_t kNtHeadersSize = 4 + 20 + 240;

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

}  // namespace velkor::pe
