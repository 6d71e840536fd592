#include "pe_image.h"

#include <algorithm>
#include <cstring>

namespace velkor::mkpayload {
namespace {

constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kPe32Magic = 0x010B;
constexpr std::uint32_t kScnInitializedData = 0x00000040;
constexpr std::size_t kSectionEntrySize = 40;
constexpr std::size_t kCertificateDirectory = 4;

// Offsets inside the PE32 optional header.
constexpr std::size_t kOptSizeOfInitializedData = 8;
constexpr std::size_t kOptSectionAlignment = 32;
constexpr std::size_t kOptFileAlignment = 36;
constexpr std::size_t kOptSizeOfImage = 56;
constexpr std::size_t kOptCheckSum = 64;
constexpr std::size_t kOptNumberOfRvaAndSizes = 92;
constexpr std::size_t kOptDataDirectory = 96;

// Bounds-checked little-endian reads over one buffer.
class Reader {
 public:
  Reader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
  bool has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  bool u16(std::uint64_t offset, std::uint16_t& v) const {
    if (!has(offset, 2)) return false;
    v = static_cast<std::uint16_t>(data_[offset] | data_[offset + 1] << 8);
    return true;
  }
  bool u32(std::uint64_t offset, std::uint32_t& v) const {
    if (!has(offset, 4)) return false;
    v = std::uint32_t{data_[offset]} | std::uint32_t{data_[offset + 1]} << 8 |
        std::uint32_t{data_[offset + 2]} << 16 | std::uint32_t{data_[offset + 3]} << 24;
    return true;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
};

void put32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint32_t get32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

std::uint64_t alignUp(std::uint64_t v, std::uint32_t alignment) {
  return (v + alignment - 1) / alignment * alignment;
}

}  // namespace

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
  const Reader r(data, size);
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
  const std::uint64_t coff = std::uint64_t{peOffset} + 4;
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
  const std::uint64_t certificateEntry = kOptDataDirectory + 8 * kCertificateDirectory;
  if (rvaCount > kCertificateDirectory && certificateEntry + 8 <= optionalSize &&
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

std::string growPe(unsigned char* data, std::size_t fileSize, std::size_t memberLength) {
  if (fileSize > memberLength)
    return "is " + std::to_string(fileSize) + " bytes, larger than its member (" +
           std::to_string(memberLength) + " bytes)";
  PeLayout pe;
  std::string error;
  if (!readPeLayout(data, fileSize, pe, error)) return error;
  if (pe.symbolTablePointer != 0) return "carries a COFF symbol table behind its sections (link it stripped)";
  if (pe.certificateTableSize != 0) return "is signed (a certificate table lies behind its sections)";
  const PeSection* last = pe.lastSectionInFile();
  if (last == nullptr) return "has no section with file data";
  if (pe.lastSectionEnd() != fileSize) return "has data behind its last section";
  for (const auto& s : pe.sections)
    if (&s != last && s.virtualAddress >= last->virtualAddress)
      return std::string("its last section in the file (") + last->name +
             ") is not its last section in memory";
  if (last->pointerToRawData % pe.fileAlignment != 0 || memberLength % pe.fileAlignment != 0)
    return "its member length is not a multiple of its file alignment";

  const std::uint64_t newRaw = memberLength - last->pointerToRawData;
  const std::uint64_t newVirtual = std::max<std::uint64_t>(last->virtualSize, newRaw);
  const std::uint64_t newImage = alignUp(std::uint64_t{last->virtualAddress} + newVirtual, pe.sectionAlignment);
  if (newImage > 0xFFFFFFFFu) return "would exceed the 32-bit address space";

  unsigned char* entry = data + last->headerOffset;
  put32(entry + 8, static_cast<std::uint32_t>(newVirtual));
  put32(entry + 16, static_cast<std::uint32_t>(newRaw));
  unsigned char* opt = data + pe.optionalHeaderOffset;
  put32(opt + kOptSizeOfImage, static_cast<std::uint32_t>(newImage));
  if (last->characteristics & kScnInitializedData) {
    const std::uint64_t grown = get32(opt + kOptSizeOfInitializedData) + (newRaw - last->sizeOfRawData);
    put32(opt + kOptSizeOfInitializedData, static_cast<std::uint32_t>(std::min<std::uint64_t>(grown, 0xFFFFFFFFu)));
  }
  put32(data + pe.checkSumOffset, peCheckSum(data, memberLength, pe.checkSumOffset));
  return {};
}

}  // namespace velkor::mkpayload
