// Real, decodable pictures made in memory for the picture control's tests: a
// GIF writer with exact frames (position, size, delay, disposal, transparency)
// and a 24-bit BMP writer. The GIF's image data is genuine LZW: every pixel
// is sent as a literal code and a clear code follows often enough that the
// code width never grows, which every decoder reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velkor::test {

using Bytes = std::vector<std::uint8_t>;

// The writer's eight-colour palette (global colour table), by index.
enum GifColour : std::uint8_t { kWhiteIx, kRedIx, kGreenIx, kBlueIx, kBlackIx, kYellowIx, kMagentaIx, kCyanIx };

inline constexpr std::uint32_t kPaletteRgb[8] = {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF,
                                                 0x000000, 0xFFFF00, 0xFF00FF, 0x00FFFF};

// A COLORREF (0x00BBGGRR) of a palette entry.
inline std::uint32_t PaletteColorRef(std::uint8_t index) {
  const std::uint32_t rgb = kPaletteRgb[index];
  return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

struct GifFrameShape {
  std::uint16_t left = 0, top = 0, width = 0, height = 0;
  std::uint8_t colour = kRedIx;   // every pixel, except the inner square below
  bool withControl = true;        // a graphic control extension before the image
  std::uint16_t delay = 10;       // hundredths of a second
  std::uint8_t disposal = 1;
  int transparent = -1;           // palette index shown as transparent, or -1
  // An inner square of another colour: side 0 means none.
  std::uint16_t innerLeft = 0, innerTop = 0, innerSide = 0;
  std::uint8_t innerColour = kBlueIx;
};

class GifWriter {
 public:
  GifWriter(std::uint16_t width, std::uint16_t height) {
    Append("GIF89a");
    Word(width);
    Word(height);
    bytes_.push_back(0x80 | 0x02);  // global table of 8 entries
    bytes_.push_back(0);
    bytes_.push_back(0);
    for (std::uint32_t rgb : kPaletteRgb) {
      bytes_.push_back(static_cast<std::uint8_t>(rgb >> 16));
      bytes_.push_back(static_cast<std::uint8_t>(rgb >> 8));
      bytes_.push_back(static_cast<std::uint8_t>(rgb));
    }
  }

  GifWriter& LoopForever() {
    bytes_.insert(bytes_.end(), {0x21, 0xFF, 0x0B});
    Append("NETSCAPE2.0");
    bytes_.insert(bytes_.end(), {0x03, 0x01, 0x00, 0x00, 0x00});
    return *this;
  }

  GifWriter& Frame(const GifFrameShape& f) {
    if (f.withControl) {
      bytes_.insert(bytes_.end(), {0x21, 0xF9, 0x04});
      std::uint8_t packed = static_cast<std::uint8_t>((f.disposal & 7) << 2);
      if (f.transparent >= 0) packed |= 1;
      bytes_.push_back(packed);
      Word(f.delay);
      bytes_.push_back(static_cast<std::uint8_t>(f.transparent >= 0 ? f.transparent : 0));
      bytes_.push_back(0);
    }
    bytes_.push_back(0x2C);
    Word(f.left);
    Word(f.top);
    Word(f.width);
    Word(f.height);
    bytes_.push_back(0);
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < f.height; ++y) {
      for (int x = 0; x < f.width; ++x) {
        const bool inner = f.innerSide > 0 && x >= f.innerLeft && x < f.innerLeft + f.innerSide &&
                           y >= f.innerTop && y < f.innerTop + f.innerSide;
        pixels.push_back(inner ? f.innerColour : f.colour);
      }
    }
    ImageData(pixels);
    return *this;
  }

  GifWriter& Comment(const std::string& text) {
    bytes_.insert(bytes_.end(), {0x21, 0xFE});
    bytes_.push_back(static_cast<std::uint8_t>(text.size()));
    Append(text.c_str());
    bytes_.push_back(0);
    return *this;
  }

  Bytes Finish() {
    Bytes out = bytes_;
    out.push_back(0x3B);
    return out;
  }

 private:
  static constexpr int kMinCodeSize = 3;  // eight colours
  static constexpr unsigned kClear = 1u << kMinCodeSize;
  static constexpr unsigned kEnd = kClear + 1;
  static constexpr int kCodeWidth = kMinCodeSize + 1;
  // Literals after a clear before the decoder's table could reach the next
  // code width (with room for decoders that widen one code early).
  static constexpr int kLiteralsPerClear = 5;

  void ImageData(const std::vector<std::uint8_t>& pixels) {
    bytes_.push_back(kMinCodeSize);
    Bytes packed;
    std::uint32_t accumulator = 0;
    int bits = 0;
    auto code = [&](unsigned value) {
      accumulator |= value << bits;
      bits += kCodeWidth;
      while (bits >= 8) {
        packed.push_back(static_cast<std::uint8_t>(accumulator));
        accumulator >>= 8;
        bits -= 8;
      }
    };
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      if (i % kLiteralsPerClear == 0) code(kClear);
      code(pixels[i]);
    }
    code(kEnd);
    if (bits > 0) packed.push_back(static_cast<std::uint8_t>(accumulator));
    for (std::size_t at = 0; at < packed.size(); at += 255) {
      const std::size_t n = packed.size() - at < 255 ? packed.size() - at : 255;
      bytes_.push_back(static_cast<std::uint8_t>(n));
      bytes_.insert(bytes_.end(), packed.begin() + static_cast<std::ptrdiff_t>(at),
                    packed.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    bytes_.push_back(0);
  }

  void Word(std::uint16_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v));
    bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void Append(const char* text) {
    for (const char* p = text; *p; ++p) bytes_.push_back(static_cast<std::uint8_t>(*p));
  }

  Bytes bytes_;
};

// A bottom-up 24-bit BMP file; colourAt(x, y) gives 0xRRGGBB, y from the top.
template <typename ColourAt>
Bytes BmpFile(int width, int height, ColourAt colourAt) {
  const int stride = (width * 3 + 3) & ~3;
  const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * height);
  const std::uint32_t offset = 14 + 40;
  Bytes out;
  auto u16 = [&](std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto u32 = [&](std::uint32_t v) {
    u16(static_cast<std::uint16_t>(v));
    u16(static_cast<std::uint16_t>(v >> 16));
  };
  out.push_back('B');
  out.push_back('M');
  u32(offset + imageSize);
  u32(0);
  u32(offset);
  u32(40);
  u32(static_cast<std::uint32_t>(width));
  u32(static_cast<std::uint32_t>(height));
  u16(1);
  u16(24);
  u32(0);  // BI_RGB
  u32(imageSize);
  u32(3780);  // 96 dpi
  u32(3780);
  u32(0);
  u32(0);
  for (int row = height - 1; row >= 0; --row) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t rgb = colourAt(x, row);
      out.push_back(static_cast<std::uint8_t>(rgb));
      out.push_back(static_cast<std::uint8_t>(rgb >> 8));
      out.push_back(static_cast<std::uint8_t>(rgb >> 16));
    }
    for (int pad = width * 3; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

}  // namespace velkor::test
