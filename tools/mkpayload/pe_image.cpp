#include "pe_image.h"

#include <algorithm>
#include <cstring>

#include "payload/byte_order.h"

namespace velkor::mkpayload {

using pe::kOptSizeOfImage;
using pe::kOptSizeOfInitializedData;
using pe::PeLayout;
using pe::PeSection;
using pe::peCheckSum;

namespace {

constexpr std::uint32_t kScnInitializedData = 0x00000040;

std::uint64_t alignUp(std::uint64_t v, std::uint32_t alignment) {
  return (v + alignment - 1) / alignment * alignment;
}

}  // namespace

std::string growPe(unsigned char* data, std::size_t fileSize, std::size_t memberLength) {
  if (fileSize > memberLength)
    return "is " + std::to_string(fileSize) + " bytes, larger than its member (" +
           std::to_string(memberLength) + " bytes)";
  PeLayout pe;
  std::string error;
  if (!pe::readPeLayout(data, fileSize, pe, error)) return error;
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
  bytes::storeLe32(entry + 8, static_cast<std::uint32_t>(newVirtual));
  bytes::storeLe32(entry + 16, static_cast<std::uint32_t>(newRaw));
  unsigned char* opt = data + pe.optionalHeaderOffset;
  bytes::storeLe32(opt + kOptSizeOfImage, static_cast<std::uint32_t>(newImage));
  if (last->characteristics & kScnInitializedData) {
    const std::uint64_t grown = bytes::loadLe32(opt + kOptSizeOfInitializedData) + (newRaw - last->sizeOfRawData);
    bytes::storeLe32(opt + kOptSizeOfInitializedData, static_cast<std::uint32_t>(std::min<std::uint64_t>(grown, 0xFFFFFFFFu)));
  }
  bytes::storeLe32(data + pe.checkSumOffset, peCheckSum(data, memberLength, pe.checkSumOffset));
  return {};
}

}  // namespace velkor::mkpayload
