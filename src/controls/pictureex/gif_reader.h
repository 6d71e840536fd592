// The GIF reader of the animated picture control. It recognises a GIF, walks
// its blocks in place and cuts every frame out as a self-contained one-image
// GIF (a frame stream) that the system's picture decoder can take. It never
// decodes pixels and never looks inside the LZW data: it classifies, measures
// and copies byte ranges.
//
// The bytes come from outside the program, so every read is checked against
// the stream's length. A block or sub-block chain that runs off the end ends
// the walk exactly like a block that reaches past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace velkor {

// Block kinds, recognised by the byte at the cursor and, for an extension,
// the label after it.
enum class GifBlockKind : int {
  Unrecognised = 0,
  ApplicationExtension = 1,
  CommentExtension = 2,
  GraphicControlExtension = 3,
  PlainTextExtension = 4,
  Image = 5,
  Trailer = 6,
};

namespace gif {
inline constexpr std::uint32_t kHeaderSize = 6;
inline constexpr std::uint32_t kScreenDescriptorOffset = 6;
// Header and logical screen descriptor; the global colour table follows.
inline constexpr std::uint32_t kGlobalTableOffset = 13;

inline constexpr std::uint8_t kExtensionIntroducer = 0x21;
inline constexpr std::uint8_t kImageSeparator = 0x2C;
inline constexpr std::uint8_t kTrailer = 0x3B;
inline constexpr std::uint8_t kApplicationLabel = 0xFF;
inline constexpr std::uint8_t kCommentLabel = 0xFE;
inline constexpr std::uint8_t kGraphicControlLabel = 0xF9;
inline constexpr std::uint8_t kPlainTextLabel = 0x01;

// Fixed parts of the blocks in bytes; the block-size bytes inside the
// extensions are not trusted, these lengths are assumed instead.
inline constexpr std::uint32_t kApplicationHeadLength = 14;
inline constexpr std::uint32_t kCommentHeadLength = 2;
inline constexpr std::uint32_t kGraphicControlLength = 8;
inline constexpr std::uint32_t kPlainTextHeadLength = 15;
// Image descriptor (10 bytes) and the LZW minimum code size byte.
inline constexpr std::uint32_t kImageHeadLength = 11;
inline constexpr std::uint32_t kTrailerLength = 1;

// The delay of a frame that has no graphic control extension.
inline constexpr std::uint32_t kNoGraphicControl = 0xFFFFFFFF;

// Streams this long or longer are not parsed: every offset and every frame
// stream length then stays far inside 32 bits.
inline constexpr std::size_t kMaxStreamSize = 0x7FFFFFFF;

// Length in bytes of a colour table with size exponent n (bits 0-2).
constexpr std::uint32_t ColourTableLength(std::uint8_t packed) {
  return 3u << ((packed & 7u) + 1u);
}
}  // namespace gif

// A size or position in pixels (SIZE on Windows: cx, cy).
struct GifSize {
  std::int32_t cx = 0;
  std::int32_t cy = 0;
};

inline bool operator==(const GifSize& a, const GifSize& b) { return a.cx == b.cx && a.cy == b.cy; }

// What the blocks of one frame say about it.
struct GifFrameInfo {
  GifSize extent;  // width and height of its image
  GifSize origin;  // left and top of its image within the logical screen
  // Hundredths of a second, from the frame's first graphic control extension.
  std::uint32_t delay = gif::kNoGraphicControl;
  std::uint32_t disposal = 0;  // disposal method 0-7
};

// Where one frame's blocks lie in the source stream: from its first block
// (a graphic control extension, an image or a plain-text extension) through
// its image or plain-text block.
struct GifFrameSlice {
  std::uint32_t start = 0;
  std::uint32_t length = 0;  // L
  GifFrameInfo info;
};

// "GIF" followed by "87a" or "89a". Anything else is a still picture.
bool IsGifStream(const std::uint8_t* data, std::size_t size);

// What a load makes of a GIF, from the number of frames the counting pass
// finds: nothing, one still picture of the whole stream, or a frame list.
enum class GifSplit { NoFrame, Still, Frames };
GifSplit SplitFor(std::uint32_t frameCount);

class GifReader {
 public:
  // Reads the logical screen. A null or oversized stream is no stream: every
  // walk fails at once. A stream too short for its header, screen descriptor
  // and global table yields no frame.
  GifReader(const std::uint8_t* data, std::size_t size);

  bool HasStream() const { return m_pGifData != nullptr; }
  std::uint32_t StreamSize() const { return m_nStreamSize; }
  std::uint32_t Cursor() const { return m_nCursor; }
  // The logical screen's width and height; (0, 0) when the stream is too
  // short to hold the descriptor.
  GifSize ScreenSize() const { return m_szScreen; }
  // G: the global colour table's length in bytes, 0 when there is none.
  std::uint32_t GlobalTableSize() const { return m_nGlobalTableSize; }

  // The cursor goes to the first block after the global colour table.
  void RewindToFirstBlock();

  GifBlockKind PeekBlockKind() const;
  // The length of the block at the cursor; -1 for an unrecognised block. A
  // block whose fixed part or chain runs off the end gets a length that
  // reaches past the end, so stepping over it fails.
  std::int64_t MeasureBlock() const;
  // The length of the sub-block chain at the offset, terminator included
  // (never below 1). A chain that runs off the end measures past the end.
  std::uint64_t MeasureSubBlocks(std::uint64_t offset) const;

  // Moves the cursor over the block at the cursor; false, cursor unchanged,
  // for an unrecognised block or one that reaches past the end.
  bool StepOverBlock();
  // Moves the cursor over the next frame's blocks; the counting pass.
  bool StepOverFrame();
  // Finds the next frame, moves the cursor past it and reports where its
  // blocks lie and what they say; nullopt when there is no further frame.
  std::optional<GifFrameSlice> ExtractFrame();

  // Rewinds and steps over frames until that fails; the number of steps.
  std::uint32_t CountFrames();

  // A frame stream: the source's first 13 + G bytes (header, screen
  // descriptor, global table), the frame's L bytes, the trailer.
  std::uint32_t FrameStreamLength(const GifFrameSlice& slice) const;
  // Writes the frame stream of a slice that this reader extracted into out,
  // which holds FrameStreamLength(slice) bytes. False, nothing written, when
  // the slice does not lie inside this stream.
  bool WriteFrameStream(const GifFrameSlice& slice, std::uint8_t* out) const;
  std::vector<std::uint8_t> FrameStream(const GifFrameSlice& slice) const;

 private:
  bool Inside(std::uint64_t offset) const { return offset < m_nStreamSize; }
  std::uint8_t ByteAt(std::uint64_t offset) const { return m_pGifData[offset]; }
  std::uint16_t WordAt(std::uint64_t offset) const;
  bool StepOverLeadingExtensions();
  bool WalkFrame(GifFrameSlice* slice);

  const std::uint8_t* m_pGifData = nullptr;
  std::uint32_t m_nStreamSize = 0;
  std::uint32_t m_nCursor = 0;
  std::uint32_t m_nGlobalTableSize = 0;
  GifSize m_szScreen;
};

}  // namespace velkor
