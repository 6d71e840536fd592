// The setup file's bytes are untrusted: a damaged or hostile download must
// never make the header parsers read outside what they were given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/pe_certificate.h"
#include "platform/payload_seal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size copy, so that any read past the end hits the sanitizer.
  std::vector<std::uint8_t> bytes(data, data + size);
  const std::uint8_t* p = bytes.empty() ? nullptr : bytes.data();

  if (auto nt = velkor::pe::ntHeadersOffset(p, size)) {
    if (*nt < size) {
      auto table = velkor::pe::certificateTable(p + *nt, size - *nt);
      const std::uint64_t fileSize = size + (table ? table->size : 0u);
      const std::uint64_t end = velkor::pe::payloadEnd(fileSize, table);
      if (end > fileSize) std::abort();  // the payload never ends behind the file
    }
  }
  (void)velkor::pe::certificateTable(p, size);

  if (auto at = velkor::seal::findSealRecord(p, size)) {
    if (*at + velkor::seal::kSealRecordSize > size) std::abort();
    if (!velkor::seal::parseSeal(p + *at, velkor::seal::kSealRecordSize)) std::abort();
  }
  (void)velkor::seal::parseSeal(p, size);
  (void)velkor::seal::countSealMagic(p, size);
  return 0;
}
