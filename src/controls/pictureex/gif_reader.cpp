#include "controls/pictureex/gif_reader.h"

#include <cstring>

namespace velkor {

namespace {

constexpr std::uint8_t kSignature[3] = {'G', 'I', 'F'};
constexpr std::uint8_t kVersion87[3] = {'8', '7', 'a'};
constexpr std::uint8_t kVersion89[3] = {'8', '9', 'a'};

// Offsets inside the structures.
constexpr std::uint32_t kScreenWidth = 6;
constexpr std::uint32_t kScreenHeight = 8;
constexpr std::uint32_t kScreenPacked = 10;
constexpr std::uint8_t kTablePresent = 0x80;
constexpr std::uint32_t kGcePacked = 3;
constexpr std::uint32_t kGceDelay = 4;
constexpr std::uint32_t kImageLeft = 1;
constexpr std::uint32_t kImageTop = 3;
constexpr std::uint32_t kImageWidth = 5;
constexpr std::uint32_t kImageHeight = 7;
constexpr std::uint32_t kImagePacked = 9;

bool IsEndOfFrames(GifBlockKind kind) {
  return kind == GifBlockKind::Unrecognised || kind == GifBlockKind::Trailer;
}

}  // namespace

bool IsGifStream(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < gif::kHeaderSize) return false;
  if (std::memcmp(data, kSignature, 3) != 0) return false;
  return std::memcmp(data + 3, kVersion87, 3) == 0 || std::memcmp(data + 3, kVersion89, 3) == 0;
}

GifSplit SplitFor(std::uint32_t frameCount) {
  if (frameCount == 0) return GifSplit::NoFrame;
  if (frameCount == 1) return GifSplit::Still;
  return GifSplit::Frames;
}

GifReader::GifReader(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size > gif::kMaxStreamSize) return;
  m_pGifData = data;
  m_nStreamSize = static_cast<std::uint32_t>(size);
  if (size < gif::kGlobalTableOffset) return;
  m_szScreen.cx = WordAt(kScreenWidth);
  m_szScreen.cy = WordAt(kScreenHeight);
  const std::uint8_t packed = ByteAt(kScreenPacked);
  if (packed & kTablePresent) m_nGlobalTableSize = gif::ColourTableLength(packed);
}

std::uint16_t GifReader::WordAt(std::uint64_t offset) const {
  return static_cast<std::uint16_t>(ByteAt(offset) | (ByteAt(offset + 1) << 8));
}

void GifReader::RewindToFirstBlock() { m_nCursor = gif::kGlobalTableOffset + m_nGlobalTableSize; }

GifBlockKind GifReader::PeekBlockKind() const {
  if (!HasStream() || !Inside(m_nCursor)) return GifBlockKind::Unrecognised;
  switch (ByteAt(m_nCursor)) {
    case gif::kImageSeparator:
      return GifBlockKind::Image;
    case gif::kTrailer:
      return GifBlockKind::Trailer;
    case gif::kExtensionIntroducer:
      break;
    default:
      return GifBlockKind::Unrecognised;
  }
  if (!Inside(std::uint64_t{m_nCursor} + 1)) return GifBlockKind::Unrecognised;
  switch (ByteAt(std::uint64_t{m_nCursor} + 1)) {
    case gif::kApplicationLabel:
      return GifBlockKind::ApplicationExtension;
    case gif::kCommentLabel:
      return GifBlockKind::CommentExtension;
    case gif::kGraphicControlLabel:
      return GifBlockKind::GraphicControlExtension;
    case gif::kPlainTextLabel:
      return GifBlockKind::PlainTextExtension;
    default:
      return GifBlockKind::Unrecognised;
  }
}

std::uint64_t GifReader::MeasureSubBlocks(std::uint64_t offset) const {
  // Each length byte is followed by that many data bytes. The walk stops at
  // the terminator or at the end of the stream; in the second case the
  // result reaches one byte past the end, where a terminator would have to be.
  std::uint64_t at = offset;
  while (Inside(at) && ByteAt(at) != 0) at += std::uint64_t{ByteAt(at)} + 1;
  return at - offset + 1;
}

std::int64_t GifReader::MeasureBlock() const {
  const std::uint64_t at = m_nCursor;
  std::uint64_t length = 0;
  switch (PeekBlockKind()) {
    case GifBlockKind::Unrecognised:
      return -1;
    case GifBlockKind::ApplicationExtension:
      length = gif::kApplicationHeadLength + MeasureSubBlocks(at + gif::kApplicationHeadLength);
      break;
    case GifBlockKind::CommentExtension:
      length = gif::kCommentHeadLength + MeasureSubBlocks(at + gif::kCommentHeadLength);
      break;
    case GifBlockKind::GraphicControlExtension:
      length = gif::kGraphicControlLength;
      break;
    case GifBlockKind::PlainTextExtension:
      length = gif::kPlainTextHeadLength + MeasureSubBlocks(at + gif::kPlainTextHeadLength);
      break;
    case GifBlockKind::Image: {
      // Without its packed byte the descriptor itself runs past the end.
      if (!Inside(at + kImagePacked)) return gif::kImageHeadLength;
      const std::uint8_t packed = ByteAt(at + kImagePacked);
      const std::uint64_t table = (packed & kTablePresent) ? gif::ColourTableLength(packed) : 0;
      length = gif::kImageHeadLength + table + MeasureSubBlocks(at + gif::kImageHeadLength + table);
      break;
    }
    case GifBlockKind::Trailer:
      length = gif::kTrailerLength;
      break;
  }
  return static_cast<std::int64_t>(length);
}

bool GifReader::StepOverBlock() {
  if (!HasStream()) return false;
  const std::int64_t length = MeasureBlock();
  if (length <= 0) return false;
  const std::uint64_t end = std::uint64_t{m_nCursor} + static_cast<std::uint64_t>(length);
  if (end > m_nStreamSize) return false;
  m_nCursor = static_cast<std::uint32_t>(end);
  return true;
}

bool GifReader::StepOverLeadingExtensions() {
  for (;;) {
    const GifBlockKind kind = PeekBlockKind();
    if (kind != GifBlockKind::ApplicationExtension && kind != GifBlockKind::CommentExtension) return true;
    if (!StepOverBlock()) return false;
  }
}

// The walk shared by the counting pass and the extraction: both move the
// cursor over the same blocks and fail at the same places.
bool GifReader::WalkFrame(GifFrameSlice* slice) {
  if (!HasStream()) return false;
  // Extensions before a frame's first block belong to no frame.
  if (!StepOverLeadingExtensions()) return false;
  GifBlockKind kind = PeekBlockKind();
  if (IsEndOfFrames(kind)) return false;
  const std::uint32_t start = m_nCursor;

  GifFrameInfo info;
  if (kind == GifBlockKind::GraphicControlExtension) {
    if (!StepOverBlock()) return false;
    // The step proved all 8 bytes are inside. Only the first graphic control
    // extension of a frame is read; later ones are copied along.
    const std::uint8_t packed = ByteAt(std::uint64_t{start} + kGcePacked);
    info.delay = WordAt(std::uint64_t{start} + kGceDelay);
    info.disposal = (packed >> 2) & 7u;
    for (;;) {
      kind = PeekBlockKind();
      if (kind == GifBlockKind::Image || kind == GifBlockKind::PlainTextExtension || IsEndOfFrames(kind)) break;
      if (!StepOverBlock()) return false;
    }
    if (IsEndOfFrames(kind)) return false;
  }

  // A plain-text frame keeps extent and origin (0, 0).
  const std::uint32_t graphic = m_nCursor;
  if (!StepOverBlock()) return false;
  if (kind == GifBlockKind::Image) {
    info.origin = {WordAt(std::uint64_t{graphic} + kImageLeft), WordAt(std::uint64_t{graphic} + kImageTop)};
    info.extent = {WordAt(std::uint64_t{graphic} + kImageWidth), WordAt(std::uint64_t{graphic} + kImageHeight)};
  }
  if (slice != nullptr) {
    slice->start = start;
    slice->length = m_nCursor - start;
    slice->info = info;
  }
  return true;
}

bool GifReader::StepOverFrame() { return WalkFrame(nullptr); }

std::optional<GifFrameSlice> GifReader::ExtractFrame() {
  GifFrameSlice slice;
  if (!WalkFrame(&slice)) return std::nullopt;
  return slice;
}

std::uint32_t GifReader::CountFrames() {
  RewindToFirstBlock();
  std::uint32_t count = 0;
  while (StepOverFrame()) ++count;
  return count;
}

std::uint32_t GifReader::FrameStreamLength(const GifFrameSlice& slice) const {
  return gif::kGlobalTableOffset + m_nGlobalTableSize + slice.length + gif::kTrailerLength;
}

bool GifReader::WriteFrameStream(const GifFrameSlice& slice, std::uint8_t* out) const {
  const std::uint64_t prefix = std::uint64_t{gif::kGlobalTableOffset} + m_nGlobalTableSize;
  if (!HasStream() || out == nullptr || slice.start < prefix ||
      std::uint64_t{slice.start} + slice.length > m_nStreamSize) {
    return false;
  }
  std::memcpy(out, m_pGifData, static_cast<std::size_t>(prefix));
  std::memcpy(out + prefix, m_pGifData + slice.start, slice.length);
  out[prefix + slice.length] = gif::kTrailer;
  return true;
}

std::vector<std::uint8_t> GifReader::FrameStream(const GifFrameSlice& slice) const {
  std::vector<std::uint8_t> stream(FrameStreamLength(slice));
  if (!WriteFrameStream(slice, stream.data())) stream.clear();
  return stream;
}

}  // namespace velkor
