// Builds GIF byte streams block by block for the reader's tests. The image
// data is not real LZW: the reader only measures it. Each append returns the
// block's offset so tests can name exact byte ranges.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velkor::test {

using Bytes = std::vector<std::uint8_t>;

class GifBuilder {
 public:
  // Header and logical screen; tableExponent < 0 means no global table.
  explicit GifBuilder(std::uint16_t width = 40, std::uint16_t height = 30, int tableExponent = 0,
                      const char* version = "89a") {
    Append("GIF");
    Append(version);
    Word(width);
    Word(height);
    bytes_.push_back(tableExponent < 0 ? 0x00 : static_cast<std::uint8_t>(0x80 | tableExponent));
    bytes_.push_back(0);  // background colour index
    bytes_.push_back(0);  // pixel aspect ratio
    if (tableExponent >= 0) Fill(3u << (tableExponent + 1), 0x11);
  }

  std::size_t Gce(std::uint16_t delay, std::uint8_t disposal, std::uint8_t otherBits = 0) {
    const std::size_t at = bytes_.size();
    bytes_.insert(bytes_.end(), {0x21, 0xF9, 0x04});
    bytes_.push_back(static_cast<std::uint8_t>((disposal & 7) << 2 | otherBits));
    Word(delay);
    bytes_.insert(bytes_.end(), {0x00, 0x00});
    return at;
  }

  // Image descriptor, LZW code size byte, then data sub-blocks of the given
  // lengths. localExponent < 0 means no local table.
  std::size_t Image(std::uint16_t left, std::uint16_t top, std::uint16_t width, std::uint16_t height,
                    std::vector<std::uint8_t> subBlocks = {5}, int localExponent = -1) {
    const std::size_t at = bytes_.size();
    bytes_.push_back(0x2C);
    Word(left);
    Word(top);
    Word(width);
    Word(height);
    bytes_.push_back(localExponent < 0 ? 0x00 : static_cast<std::uint8_t>(0x80 | localExponent));
    if (localExponent >= 0) Fill(3u << (localExponent + 1), 0x22);
    bytes_.push_back(0x02);  // LZW minimum code size
    Chain(subBlocks, 0x33);
    return at;
  }

  // Netscape loop-count block.
  std::size_t Application() {
    const std::size_t at = bytes_.size();
    bytes_.insert(bytes_.end(), {0x21, 0xFF, 0x0B});
    Append("NETSCAPE2.0");
    bytes_.insert(bytes_.end(), {0x03, 0x01, 0x00, 0x00, 0x00});
    return at;
  }

  std::size_t Comment(const std::string& text) {
    const std::size_t at = bytes_.size();
    bytes_.insert(bytes_.end(), {0x21, 0xFE});
    bytes_.push_back(static_cast<std::uint8_t>(text.size()));
    Append(text.c_str());
    bytes_.push_back(0);
    return at;
  }

  std::size_t PlainText(std::vector<std::uint8_t> subBlocks = {4}) {
    const std::size_t at = bytes_.size();
    bytes_.insert(bytes_.end(), {0x21, 0x01, 0x0C});
    Fill(12, 0x44);  // grid position and size, cell size, colours
    Chain(subBlocks, 'T');
    return at;
  }

  std::size_t Raw(std::initializer_list<std::uint8_t> bytes) {
    const std::size_t at = bytes_.size();
    bytes_.insert(bytes_.end(), bytes);
    return at;
  }

  std::size_t Trailer() { return Raw({0x3B}); }

  std::size_t Size() const { return bytes_.size(); }
  const Bytes& bytes() const { return bytes_; }
  Bytes Slice(std::size_t from, std::size_t to) const {
    return Bytes(bytes_.begin() + static_cast<long>(from), bytes_.begin() + static_cast<long>(to));
  }

 private:
  void Append(const char* text) {
    for (; *text; ++text) bytes_.push_back(static_cast<std::uint8_t>(*text));
  }
  void Word(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void Fill(std::size_t count, std::uint8_t value) { bytes_.insert(bytes_.end(), count, value); }
  void Chain(const std::vector<std::uint8_t>& lengths, std::uint8_t value) {
    for (std::uint8_t length : lengths) {
      bytes_.push_back(length);
      Fill(length, value);
    }
    bytes_.push_back(0);
  }

  Bytes bytes_;
};

}  // namespace velkor::test
