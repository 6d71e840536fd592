#include "engine/pe_certificate.h"

namespace velkor::pe {
namespace {

constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kSecurityDirectory = 4;  // IMAGE_DIRECTORY_ENTRY_SECURITY
constexpr std::size_t kFileHeaderAt = 4;
constexpr std::size_t kSizeOfOptionalHeaderAt = kFileHeaderAt + 16;
constexpr std::size_t kOptionalHeaderAt = kFileHeaderAt + 20;

bool readU16(const std::uint8_t* bytes, std::size_t size, std::size_t at, std::uint16_t& out) {
  if (at > size || size - at < 2) return false;
  out = static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
  return true;
}

bool readU32(const std::uint8_t* bytes, std::size_t size, std::size_t at, std::uint32_t& out) {
  if (at > size || size - at < 4) return false;
  out = static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
        (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
        (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
  return true;
}

}  // namespace

std::optional<std::uint32_t> ntHeadersOffset(const std::uint8_t* bytes, std::size_t size) {
  if (bytes == nullptr || size < kDosHeaderSize || bytes[0] != 'M' || bytes[1] != 'Z')
    return std::nullopt;
  std::uint32_t lfanew = 0;
  if (!readU32(bytes, size, 0x3C, lfanew)) return std::nullopt;
  return lfanew;
}

std::optional<CertificateTable> certificateTable(const std::uint8_t* bytes, std::size_t size) {
  if (bytes == nullptr || size < 4 || bytes[0] != 'P' || bytes[1] != 'E' || bytes[2] != 0 ||
      bytes[3] != 0)
    return std::nullopt;
  std::uint16_t optionalSize = 0;
  std::uint16_t magic = 0;
  if (!readU16(bytes, size, kSizeOfOptionalHeaderAt, optionalSize) ||
      !readU16(bytes, size, kOptionalHeaderAt, magic))
    return std::nullopt;

  std::size_t countAt = 0;       // NumberOfRvaAndSizes, within the optional header
  std::size_t directoriesAt = 0; // DataDirectory[0]
  if (magic == kPe32Magic) {
    countAt = 92;
    directoriesAt = 96;
  } else if (magic == kPe32PlusMagic) {
    countAt = 108;
    directoriesAt = 112;
  } else {
    return std::nullopt;
  }
  const std::size_t entryAt = directoriesAt + kSecurityDirectory * 8;
  // The entry must lie inside the optional header the file header declares.
  if (optionalSize < entryAt + 8) return std::nullopt;

  std::uint32_t count = 0;
  if (!readU32(bytes, size, kOptionalHeaderAt + countAt, count) || count <= kSecurityDirectory)
    return std::nullopt;
  CertificateTable table;
  if (!readU32(bytes, size, kOptionalHeaderAt + entryAt, table.offset) ||
      !readU32(bytes, size, kOptionalHeaderAt + entryAt + 4, table.size))
    return std::nullopt;
  if (table.offset == 0 || table.size == 0) return std::nullopt;
  return table;
}

std::uint64_t payloadEnd(std::uint64_t fileSize, const std::optional<CertificateTable>& table) {
  if (table && static_cast<std::uint64_t>(table->offset) + table->size == fileSize)
    return table->offset;
  return fileSize;
}

}  // namespace velkor::pe
