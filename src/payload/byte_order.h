// Little-endian integers and UTF-16LE text as bytes. ByteReader checks every read
// against the bytes it was given, so a malformed file yields a failed read,
// never a read outside the buffer; the plain loads and stores are for records
// whose size the caller has already checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace velkor::bytes {

inline std::uint16_t loadLe16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

inline std::uint32_t loadLe32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

inline void storeLe32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// The text's UTF-16 code units, low byte first; with the two-byte terminator
// when asked. No byte-order mark.
inline std::vector<std::uint8_t> utf16le(std::u16string_view text, bool terminated = false) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() * 2 + 2);
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  if (terminated) bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

class ByteReader {
 public:
  ByteReader(const unsigned char* data, std::size_t size) : data_(data), size_(data ? size : 0) {}

  // Whether `count` bytes lie at `offset`.
  bool has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  bool u8(std::uint64_t offset, std::uint8_t& v) const {
    if (!has(offset, 1)) return false;
    v = data_[offset];
    return true;
  }
  bool u16(std::uint64_t offset, std::uint16_t& v) const {
    if (!has(offset, 2)) return false;
    v = loadLe16(data_ + offset);
    return true;
  }
  bool u32(std::uint64_t offset, std::uint32_t& v) const {
    if (!has(offset, 4)) return false;
    v = loadLe32(data_ + offset);
    return true;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
};

}  // namespace velkor::bytes
