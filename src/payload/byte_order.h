// Little-endian integers in untrusted bytes. ByteReader checks every read
// against the bytes it was given, so a malformed file yields a failed read,
// never a read outside the buffer; the plain loads and stores are for records
// whose size the caller has already checked.
#pragma once

#include <cstddef>
#include <cstdint>

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

class ByteReader {
 public:
  ByteReader(const unsigned char* data, std::size_t size) : data_(data), size_(data ? size : 0) {}

  // Whether `count` bytes lie at `offset`.
  bool has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
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
