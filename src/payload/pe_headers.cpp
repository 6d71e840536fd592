#include "payload/pe_headers.h"

#include <cstring>

#include "payload/byte_order.h"

namespace velkor::pe {
namespace {

constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kSecurityDirectory = 4;  // IMAGE_DIRECTORY_ENTRY_SECURITY
constexpr std::size_t kFileHeaderAt = 4;
constexpr std::size_t kSizeOfOptionalHeaderAt = kFileHeaderAt + 16;
constexpr std::size_t kOptionalHeaderAt = kFileHeaderAt + 20;

constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::size_t kSectionEntrySize = 40;

// Offsets inside the PE32 optional header.
constexpr std::size_t kOptSectionAlignment = 32;
constexpr std::size_t kOptFileAlignment = 36;
constexpr std::size_t kOptCheckSum = 64;
constexpr std::size_t kOptNumberOfRvaAndSizes = 92;
constexpr std::size_t kOptDataDirectory = 96;

}  // namespace

std::optional<std::uint32_t> ntHeadersOffset(const std::uint8_t* bytes, std::size_t size) {
  if (bytes == nullptr || size < kDosHeaderSize || bytes[0] != 'M' || bytes[1] != 'Z')
    return std::nullopt;
  std::uint32_t lfanew = 0;
  if (!bytes::ByteReader(bytes, size).u32(0x3C, lfanew)) return std::nullopt;
  return lfanew;
}

std::optional<CertificateTable> certificateTable(const std::uint8_t* bytes, std::size_t size) {
  if (bytes == nullptr || size < 4 || bytes[0] != 'P' || bytes[1] != 'E' || bytes[2] != 0 ||
      bytes[3] != 0)
    return std::nullopt;
  const bytes::ByteReader r(bytes, size);
  std::uint16_t optionalSize = 0;
  std::uint16_t magic = 0;
  if (!r.u16(kSizeOfOptionalHeaderAt, optionalSize) || !r.u16(kOptionalHeaderAt, magic))
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
  if (!r.u32(kOptionalHeaderAt + countAt, count) || count <= kSecurityDirectory)
    return std::nullopt;
  CertificateTable table;
  if (!r.u32(kOptionalHeaderAt + entryAt, table.offset) ||
      !r.u32(kOptionalHeaderAt + entryAt + 4, table.size))
    return std::nullopt;
  if (table.offset == 0 || table.size == 0) return std::nullopt;
  return table;
}

const PeSection* PeLayout::lastSectionInFile() const {
  const PeSection* last = nullptr;
  for (const auto& s : sections) {
    if (s.sizeOfRawData == 0) continue;
    if (last == nullptr || s.pointerToRawData > last->pointerToRawData) last = &s;
  }
  return last;
}

std::uint64_t PeLayout::lastSectionEnd() const {
  const PeSection* s = lastSectionInFile();
  return s ? std::uint64_t{s->pointerToRawData} + s->sizeOfRawData : 0;
}

bool readPeLayout(const unsigned char* data, std::size_t size, PeLayout& layout, std::string& error) {
  layout = PeLayout{};
  const bytes::ByteReader r(data, size);
  std::uint16_t mz = 0;
  if (!r.u16(0, mz) || mz != 0x5A4D) {
    error = "not a PE file (no MZ header)";
    return false;
  }
  std::uint32_t peOffset = 0, signature = 0;
  if (!r.u32(0x3C, peOffset) || !r.u32(peOffset, signature) || signature != 0x00004550) {
    error = "not a PE file (no PE signature)";
    return false;
  }
  const std::uint64_t coff = std::uint64_t{peOffset} + kFileHeaderAt;
  std::uint16_t machine = 0, sectionCount = 0, optionalSize = 0, magic = 0;
  if (!r.u16(coff, machine) || !r.u16(coff + 2, sectionCount) ||
      !r.u32(coff + 8, layout.symbolTablePointer) || !r.u16(coff + 16, optionalSize)) {
    error = "truncated COFF header";
    return false;
  }
  if (machine != kMachineI386) {
    error = "not a 32-bit x86 image";
    return false;
  }
  const std::uint64_t opt = coff + 20;
  layout.optionalHeaderOffset = static_cast<std::size_t>(opt);
  layout.checkSumOffset = static_cast<std::size_t>(opt + kOptCheckSum);
  std::uint32_t rvaCount = 0;
  if (optionalSize < kOptDataDirectory || !r.has(opt, optionalSize) || !r.u16(opt, magic) ||
      !r.u32(opt + kOptSectionAlignment, layout.sectionAlignment) ||
      !r.u32(opt + kOptFileAlignment, layout.fileAlignment) ||
      !r.u32(opt + kOptSizeOfImage, layout.sizeOfImage) || !r.u32(opt + kOptCheckSum, layout.checkSum) ||
      !r.u32(opt + kOptNumberOfRvaAndSizes, rvaCount)) {
    error = "truncated optional header";
    return false;
  }
  if (magic != kPe32Magic) {
    error = "not a PE32 image";
    return false;
  }
  if (layout.fileAlignment == 0 || layout.sectionAlignment == 0) {
    error = "zero section or file alignment";
    return false;
  }
  const std::uint64_t certificateEntry = kOptDataDirectory + 8 * kSecurityDirectory;
  if (rvaCount > kSecurityDirectory && certificateEntry + 8 <= optionalSize &&
      !r.u32(opt + certificateEntry + 4, layout.certificateTableSize)) {
    error = "truncated data directory";
    return false;
  }
  const std::uint64_t table = opt + optionalSize;
  if (!r.has(table, std::uint64_t{sectionCount} * kSectionEntrySize)) {
    error = "truncated section table";
    return false;
  }
  for (std::uint16_t i = 0; i < sectionCount; ++i) {
    const std::uint64_t e = table + std::uint64_t{i} * kSectionEntrySize;
    PeSection s;
    std::memcpy(s.name, data + e, 8);
    s.headerOffset = static_cast<std::size_t>(e);
    r.u32(e + 8, s.virtualSize);
    r.u32(e + 12, s.virtualAddress);
    r.u32(e + 16, s.sizeOfRawData);
    r.u32(e + 20, s.pointerToRawData);
    r.u32(e + 36, s.characteristics);
    if (s.sizeOfRawData != 0 && !r.has(s.pointerToRawData, s.sizeOfRawData)) {
      error = std::string("section ") + s.name + " lies outside the file";
      return false;
    }
    layout.sections.push_back(s);
  }
  return true;
}

std::uint32_t peCheckSum(const unsigned char* data, std::size_t size, std::size_t checkSumOffset) {
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < size; i += 2) {
    std::uint32_t word = data[i];
    if (i + 1 < size) word |= std::uint32_t{data[i + 1]} << 8;
    // The checksum field itself counts as zero.
    if (i >= checkSumOffset && i < checkSumOffset + 4) word = 0;
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint32_t>(sum + size);
}

std::uint64_t payloadEnd(std::uint64_t fileSize, const std::optional<CertificateTable>& table) {
  if (table && static_cast<std::uint64_t>(table->offset) + table->size == fileSize)
    return table->offset;
  return fileSize;
}

}  // namespace velkor::pe
