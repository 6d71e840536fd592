#include "controls/pictureex/gif_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "unit/controls_gif_builder.h"

namespace velkor {
namespace {

using test::Bytes;
using test::GifBuilder;

GifReader ReaderOf(const Bytes& bytes) { return GifReader(bytes.data(), bytes.size()); }

std::vector<GifFrameSlice> AllFrames(GifReader& reader) {
  std::vector<GifFrameSlice> frames;
  reader.RewindToFirstBlock();
  while (auto frame = reader.ExtractFrame()) frames.push_back(*frame);
  return frames;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(GifRecognition, SignatureAndVersion) {
  EXPECT_TRUE(IsGifStream(GifBuilder(1, 1, -1, "87a").bytes().data(), 13));
  EXPECT_TRUE(IsGifStream(GifBuilder(1, 1, -1, "89a").bytes().data(), 13));
  // Any other version is a still picture, whole.
  for (const char* version : {"88a", "89b", "89A", "90a"}) {
    SCOPED_TRACE(version);
    EXPECT_FALSE(IsGifStream(GifBuilder(1, 1, -1, version).bytes().data(), 13));
  }
  const Bytes gif = GifBuilder().bytes();
  EXPECT_FALSE(IsGifStream(gif.data(), 5));
  EXPECT_TRUE(IsGifStream(gif.data(), 6));
  EXPECT_FALSE(IsGifStream(nullptr, 100));
  const Bytes bitmap = {'B', 'M', 0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(IsGifStream(bitmap.data(), bitmap.size()));
}

TEST(GifLogicalScreen, SizeAndGlobalTable) {
  GifBuilder noTable(320, 240, -1);
  GifReader reader = ReaderOf(noTable.bytes());
  EXPECT_EQ(reader.ScreenSize(), (GifSize{320, 240}));
  EXPECT_EQ(reader.GlobalTableSize(), 0u);
  reader.RewindToFirstBlock();
  EXPECT_EQ(reader.Cursor(), 13u);

  for (int n = 0; n < 8; ++n) {
    SCOPED_TRACE(n);
    GifBuilder builder(0x1234, 0xABCD, n);
    GifReader withTable = ReaderOf(builder.bytes());
    EXPECT_EQ(withTable.GlobalTableSize(), 3u << (n + 1));
    EXPECT_EQ(withTable.ScreenSize(), (GifSize{0x1234, 0xABCD}));
    withTable.RewindToFirstBlock();
    EXPECT_EQ(withTable.Cursor(), 13u + (3u << (n + 1)));
  }
}

TEST(GifBlocks, KindsAndLengths) {
  GifBuilder builder(10, 10, -1);
  const std::size_t app = builder.Application();
  const std::size_t comment = builder.Comment("hello");
  const std::size_t gce = builder.Gce(10, 2);
  const std::size_t plain = builder.PlainText({4, 2});
  const std::size_t image = builder.Image(0, 0, 10, 10, {200, 7});
  const std::size_t local = builder.Image(0, 0, 10, 10, {3}, 2);
  const std::size_t trailer = builder.Trailer();
  GifReader reader = ReaderOf(builder.bytes());

  struct Expected {
    std::size_t at;
    GifBlockKind kind;
    std::int64_t length;
  };
  const Expected blocks[] = {
      {app, GifBlockKind::ApplicationExtension, 14 + 4 + 1},
      {comment, GifBlockKind::CommentExtension, 2 + 6 + 1},
      {gce, GifBlockKind::GraphicControlExtension, 8},
      {plain, GifBlockKind::PlainTextExtension, 15 + 5 + 3 + 1},
      {image, GifBlockKind::Image, 11 + 201 + 8 + 1},
      {local, GifBlockKind::Image, 11 + 24 + 4 + 1},
      {trailer, GifBlockKind::Trailer, 1},
  };
  reader.RewindToFirstBlock();
  for (const Expected& block : blocks) {
    SCOPED_TRACE(block.at);
    ASSERT_EQ(reader.Cursor(), block.at);
    EXPECT_EQ(reader.PeekBlockKind(), block.kind);
    EXPECT_EQ(reader.MeasureBlock(), block.length);
    ASSERT_TRUE(reader.StepOverBlock());
  }
  // The trailer is stepped over like any block; past it there is nothing.
  EXPECT_EQ(reader.Cursor(), builder.Size());
  EXPECT_EQ(reader.PeekBlockKind(), GifBlockKind::Unrecognised);
  EXPECT_EQ(reader.MeasureBlock(), -1);
  EXPECT_FALSE(reader.StepOverBlock());
}

TEST(GifBlocks, UnrecognisedBytesAndLabels) {
  for (std::uint8_t label : {0x99, 0x00, 0xF8, 0x02}) {
    GifBuilder builder(1, 1, -1);
    builder.Raw({0x21, label, 0x00});
    GifReader reader = ReaderOf(builder.bytes());
    reader.RewindToFirstBlock();
    EXPECT_EQ(reader.PeekBlockKind(), GifBlockKind::Unrecognised) << int(label);
    EXPECT_EQ(reader.MeasureBlock(), -1);
    EXPECT_FALSE(reader.StepOverBlock());
    EXPECT_EQ(reader.Cursor(), 13u);
  }
  GifBuilder other(1, 1, -1);
  other.Raw({0x00});
  GifReader reader = ReaderOf(other.bytes());
  reader.RewindToFirstBlock();
  EXPECT_EQ(reader.PeekBlockKind(), GifBlockKind::Unrecognised);
  // An introducer as the stream's last byte has no label to read.
  GifBuilder lone(1, 1, -1);
  lone.Raw({0x21});
  GifReader loneReader = ReaderOf(lone.bytes());
  loneReader.RewindToFirstBlock();
  EXPECT_EQ(loneReader.PeekBlockKind(), GifBlockKind::Unrecognised);
}

TEST(GifBlocks, SubBlockChains) {
  GifBuilder builder(1, 1, -1);
  const std::size_t at = builder.Raw({3, 'a', 'b', 'c', 1, 'd', 0, 0xEE});
  GifReader reader = ReaderOf(builder.bytes());
  EXPECT_EQ(reader.MeasureSubBlocks(at), 4u + 2u + 1u);
  EXPECT_EQ(reader.MeasureSubBlocks(at + 6), 1u);  // a bare terminator
  // A chain that runs off the end measures past the end, never inside it.
  GifBuilder cut(1, 1, -1);
  const std::size_t cutAt = cut.Raw({3, 'a', 'b', 'c', 200, 'x'});
  GifReader cutReader = ReaderOf(cut.bytes());
  EXPECT_GT(cutAt + cutReader.MeasureSubBlocks(cutAt), cut.Size());
  EXPECT_GT(cutReader.MeasureSubBlocks(cut.Size() + 10), 0u);
}

TEST(GifBlocks, BlocksRunningOffTheEndAreNotSteppedOver) {
  // Every proper prefix of each block must fail to step, cursor unchanged.
  GifBuilder full(8, 8, -1);
  full.Application();
  full.Comment("abc");
  full.Gce(3, 1);
  full.PlainText({3});
  full.Image(1, 2, 3, 4, {9, 9}, 1);
  full.Trailer();
  const Bytes& bytes = full.bytes();
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    SCOPED_TRACE(size);
    GifReader reader(bytes.data(), size);
    reader.RewindToFirstBlock();
    std::size_t steps = 0;
    while (reader.StepOverBlock()) {
      ASSERT_LE(reader.Cursor(), size);
      ++steps;
    }
    const std::uint32_t stuck = reader.Cursor();
    EXPECT_FALSE(reader.StepOverBlock());
    EXPECT_EQ(reader.Cursor(), stuck);
    EXPECT_LT(steps, 6u);
  }
}

TEST(GifShortStreams, TooShortForHeaderScreenOrTableGiveNoFrame) {
  GifBuilder builder(16, 16, 1);
  builder.Gce(10, 0);
  builder.Image(0, 0, 16, 16);
  builder.Gce(10, 0);
  builder.Image(0, 0, 16, 16);
  builder.Trailer();
  const Bytes& bytes = builder.bytes();
  ASSERT_EQ(ReaderOf(bytes).CountFrames(), 2u);
  for (std::size_t size = 0; size < 13; ++size) {
    SCOPED_TRACE(size);
    GifReader reader(bytes.data(), size);
    EXPECT_EQ(reader.ScreenSize(), (GifSize{0, 0}));
    EXPECT_EQ(reader.CountFrames(), 0u);
    reader.RewindToFirstBlock();
    EXPECT_FALSE(reader.ExtractFrame());
  }
  // Screen complete, global table cut.
  for (std::size_t size = 13; size <= 13 + 12; ++size) {
    SCOPED_TRACE(size);
    GifReader reader(bytes.data(), size);
    EXPECT_EQ(reader.CountFrames(), 0u);
  }
  GifReader none(nullptr, 100);
  EXPECT_FALSE(none.HasStream());
  EXPECT_EQ(none.CountFrames(), 0u);
  EXPECT_FALSE(none.StepOverFrame());
}

TEST(GifFrames, ExtensionsOnlyYieldNoFrame) {
  GifBuilder builder;
  builder.Application();
  builder.Comment("only words");
  builder.Trailer();
  GifReader reader = ReaderOf(builder.bytes());
  EXPECT_EQ(reader.CountFrames(), 0u);
  EXPECT_EQ(SplitFor(0), GifSplit::NoFrame);
  EXPECT_TRUE(AllFrames(reader).empty());

  // A graphic control extension with no image behind it is no frame either.
  GifBuilder lonely;
  lonely.Gce(10, 2);
  lonely.Comment("x");
  lonely.Trailer();
  GifReader lonelyReader = ReaderOf(lonely.bytes());
  EXPECT_EQ(lonelyReader.CountFrames(), 0u);
  EXPECT_TRUE(AllFrames(lonelyReader).empty());
}

TEST(GifFrames, OneImageIsAStillPicture) {
  GifBuilder builder;
  builder.Application();
  builder.Gce(50, 1);
  builder.Image(0, 0, 40, 30);
  builder.Trailer();
  GifReader reader = ReaderOf(builder.bytes());
  EXPECT_EQ(reader.CountFrames(), 1u);
  EXPECT_EQ(SplitFor(1), GifSplit::Still);
  EXPECT_EQ(SplitFor(2), GifSplit::Frames);
  EXPECT_EQ(SplitFor(250), GifSplit::Frames);
}

TEST(GifFrames, FrameStreamHasTheExactLayout) {
  GifBuilder builder(40, 30, 1);  // G = 12
  const std::size_t app = builder.Application();
  const std::size_t gce1 = builder.Gce(7, 2);
  const std::size_t image1 = builder.Image(3, 4, 20, 10, {5, 2}, 0);
  const std::size_t gce2 = builder.Gce(120, 3);
  const std::size_t image2 = builder.Image(0, 0, 40, 30);
  const std::size_t trailer = builder.Trailer();
  GifReader reader = ReaderOf(builder.bytes());
  ASSERT_EQ(reader.CountFrames(), 2u);

  const std::vector<GifFrameSlice> frames = AllFrames(reader);
  ASSERT_EQ(frames.size(), 2u);
  const Bytes prefix = builder.Slice(0, 13 + 12);
  ASSERT_GT(gce1, app);

  // The leading application extension is in no frame stream.
  EXPECT_EQ(frames[0].start, gce1);
  EXPECT_EQ(frames[0].length, gce2 - gce1);
  EXPECT_EQ(reader.FrameStreamLength(frames[0]), 14u + 12u + (gce2 - gce1));
  EXPECT_EQ(reader.FrameStream(frames[0]), Concat({prefix, builder.Slice(gce1, gce2), Bytes{0x3B}}));
  EXPECT_EQ(frames[0].info.delay, 7u);
  EXPECT_EQ(frames[0].info.disposal, 2u);
  EXPECT_EQ(frames[0].info.origin, (GifSize{3, 4}));
  EXPECT_EQ(frames[0].info.extent, (GifSize{20, 10}));
  EXPECT_EQ(image1 - gce1, 8u);

  EXPECT_EQ(frames[1].start, gce2);
  EXPECT_EQ(reader.FrameStream(frames[1]), Concat({prefix, builder.Slice(gce2, trailer), Bytes{0x3B}}));
  EXPECT_EQ(frames[1].info.delay, 120u);
  EXPECT_EQ(frames[1].info.disposal, 3u);
  EXPECT_EQ(frames[1].info.extent, (GifSize{40, 30}));
  EXPECT_EQ(image2 - gce2, 8u);

  // The caller's own block of exactly the stream's length is filled alike.
  Bytes block(reader.FrameStreamLength(frames[1]), 0xCC);
  ASSERT_TRUE(reader.WriteFrameStream(frames[1], block.data()));
  EXPECT_EQ(block, reader.FrameStream(frames[1]));
  // The version of the source is kept, the stream is itself a GIF.
  GifBuilder old(2, 2, -1, "87a");
  old.Image(0, 0, 2, 2);
  old.Image(0, 0, 2, 2);
  GifReader oldReader = ReaderOf(old.bytes());
  const auto oldFrames = AllFrames(oldReader);
  ASSERT_EQ(oldFrames.size(), 2u);
  const Bytes oldStream = oldReader.FrameStream(oldFrames[0]);
  EXPECT_EQ(Bytes(oldStream.begin(), oldStream.begin() + 6), (Bytes{'G', 'I', 'F', '8', '7', 'a'}));
}

TEST(GifFrames, WithoutGraphicControlExtension) {
  GifBuilder builder(8, 8, -1);
  builder.Image(1, 1, 2, 2);
  builder.Gce(4, 2);
  builder.Image(0, 0, 8, 8);
  builder.Image(5, 6, 3, 2);
  builder.Trailer();
  GifReader reader = ReaderOf(builder.bytes());
  EXPECT_EQ(reader.CountFrames(), 3u);
  const auto frames = AllFrames(reader);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].info.delay, gif::kNoGraphicControl);
  EXPECT_EQ(frames[0].info.disposal, 0u);
  EXPECT_EQ(frames[1].info.delay, 4u);
  // The previous frame's extension does not carry over.
  EXPECT_EQ(frames[2].info.delay, gif::kNoGraphicControl);
  EXPECT_EQ(frames[2].info.disposal, 0u);
  EXPECT_EQ(frames[2].info.origin, (GifSize{5, 6}));
  EXPECT_EQ(frames[2].info.extent, (GifSize{3, 2}));
}

TEST(GifFrames, CommentBetweenExtensionAndImageIsCopied) {
  GifBuilder builder(8, 8, 0);  // G = 6
  const std::size_t gce = builder.Gce(10, 1);
  const std::size_t comment = builder.Comment("between");
  const std::size_t image = builder.Image(0, 0, 8, 8, {12});
  const std::size_t end = builder.Size();
  builder.Gce(10, 1);
  builder.Image(0, 0, 8, 8);
  builder.Trailer();
  GifReader reader = ReaderOf(builder.bytes());
  const auto frames = AllFrames(reader);
  ASSERT_EQ(frames.size(), 2u);
  const std::size_t commentLength = image - comment;
  const std::size_t imageLength = end - image;
  EXPECT_EQ(commentLength, 2u + 8u + 1u);
  EXPECT_EQ(reader.FrameStreamLength(frames[0]), 14u + 6u + (8u + commentLength + imageLength));
  EXPECT_EQ(reader.FrameStream(frames[0]),
            Concat({builder.Slice(0, 19), builder.Slice(gce, end), Bytes{0x3B}}));
}

TEST(GifFrames, FirstOfTwoGraphicControlExtensionsApplies) {
  GifBuilder builder(8, 8, -1);
  const std::size_t first = builder.Gce(25, 3, 0x01);
  builder.Gce(99, 2);
  builder.Image(0, 0, 8, 8);
  const std::size_t end = builder.Size();
  builder.Gce(1, 7, 0xE3);  // reserved and flag bits around the method
  builder.Image(0, 0, 8, 8);
  builder.Trailer();
  GifReader reader = ReaderOf(builder.bytes());
  EXPECT_EQ(reader.CountFrames(), 2u);
  const auto frames = AllFrames(reader);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].info.delay, 25u);
  EXPECT_EQ(frames[0].info.disposal, 3u);
  EXPECT_EQ(frames[0].start, first);
  EXPECT_EQ(frames[0].length, end - first);  // both extensions copied
  EXPECT_EQ(frames[1].info.disposal, 7u);
}

TEST(GifFrames, ApplicationExtensionInsideAFrameIsCopied) {
  GifBuilder builder(8, 8, -1);
  const std::size_t gce = builder.Gce(10, 0);
  builder.Application();
  builder.Image(0, 0, 8, 8);
  const std::size_t end = builder.Size();
  builder.Image(0, 0, 8, 8);
  GifReader reader = ReaderOf(builder.bytes());
  const auto frames = AllFrames(reader);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].start, gce);
  EXPECT_EQ(frames[0].length, end - gce);
}

TEST(GifFrames, UnrecognisedLabelEndsTheWalk) {
  GifBuilder builder(8, 8, -1);
  builder.Gce(10, 0);
  builder.Image(0, 0, 8, 8);
  builder.Gce(20, 0);
  builder.Image(0, 0, 8, 8);
  builder.Raw({0x21, 0x99, 0x01, 0x00, 0x00});
  builder.Gce(30, 0);
  builder.Image(0, 0, 8, 8);
  builder.Trailer();
  GifReader reader = ReaderOf(builder.bytes());
  EXPECT_EQ(reader.CountFrames(), 2u);
  const auto frames = AllFrames(reader);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[1].info.delay, 20u);

  // Between a graphic control extension and its image, too.
  GifBuilder inside(8, 8, -1);
  inside.Image(0, 0, 8, 8);
  inside.Gce(10, 0);
  inside.Raw({0x21, 0x99, 0x00});
  inside.Image(0, 0, 8, 8);
  GifReader insideReader = ReaderOf(inside.bytes());
  EXPECT_EQ(insideReader.CountFrames(), 1u);
  EXPECT_EQ(AllFrames(insideReader).size(), 1u);
}

TEST(GifFrames, LastImageRunningPastTheEndIsNoFrame) {
  GifBuilder builder(8, 8, 2);
  builder.Gce(10, 0);
  builder.Image(0, 0, 8, 8);
  builder.Gce(10, 0);
  builder.Image(0, 0, 8, 8);
  builder.Gce(10, 0);
  const std::size_t last = builder.Image(0, 0, 8, 8, {100, 100});
  const Bytes& bytes = builder.bytes();
  // Cut inside the descriptor, the local table position, the code size byte,
  // the sub-blocks and just before the final terminator.
  for (std::size_t cut : {last + 1, last + 9, last + 10, last + 11, last + 50, bytes.size() - 1}) {
    SCOPED_TRACE(cut);
    GifReader reader(bytes.data(), cut);
    EXPECT_EQ(reader.CountFrames(), 2u);
    const auto frames = AllFrames(reader);
    ASSERT_EQ(frames.size(), 2u);
    for (const GifFrameSlice& frame : frames) EXPECT_LE(frame.start + frame.length, cut);
  }
  GifReader whole = ReaderOf(bytes);
  EXPECT_EQ(whole.CountFrames(), 3u);  // the stream needs no trailer
}

TEST(GifFrames, PlainTextFrameHasZeroExtentAndOrigin) {
  GifBuilder builder(8, 8, -1);
  builder.Gce(10, 0);
  builder.Image(2, 3, 4, 5);
  const std::size_t gce = builder.Gce(15, 2);
  builder.PlainText({6});
  const std::size_t end = builder.Size();
  builder.Trailer();
  GifReader reader = ReaderOf(builder.bytes());
  EXPECT_EQ(reader.CountFrames(), 2u);
  const auto frames = AllFrames(reader);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].info.extent, (GifSize{4, 5}));
  // Nothing of the image frame before it leaks into the plain-text frame.
  EXPECT_EQ(frames[1].info.extent, (GifSize{0, 0}));
  EXPECT_EQ(frames[1].info.origin, (GifSize{0, 0}));
  EXPECT_EQ(frames[1].info.delay, 15u);
  EXPECT_EQ(frames[1].info.disposal, 2u);
  EXPECT_EQ(frames[1].start, gce);
  EXPECT_EQ(frames[1].length, end - gce);
}

TEST(GifFrames, CountingAndExtractionAgreeOnEveryPrefix) {
  GifBuilder builder(16, 16, 3);
  builder.Application();
  for (int i = 0; i < 4; ++i) {
    builder.Gce(static_cast<std::uint16_t>(i * 10), static_cast<std::uint8_t>(i));
    if (i == 2) builder.Comment("c");
    builder.Image(static_cast<std::uint16_t>(i), 0, 8, 8, {30, 4}, i == 1 ? 1 : -1);
  }
  builder.Trailer();
  const Bytes& bytes = builder.bytes();
  std::uint32_t previous = 0;
  for (std::size_t size = 0; size <= bytes.size(); ++size) {
    SCOPED_TRACE(size);
    GifReader reader(bytes.data(), size);
    const std::uint32_t count = reader.CountFrames();
    const auto frames = AllFrames(reader);
    EXPECT_EQ(frames.size(), count);
    EXPECT_GE(count, previous);  // more bytes never lose a frame
    previous = count;
    for (const GifFrameSlice& frame : frames) {
      EXPECT_GE(frame.start, 13u + reader.GlobalTableSize());
      EXPECT_LE(std::size_t{frame.start} + frame.length, size);
      EXPECT_EQ(reader.FrameStream(frame).size(), reader.FrameStreamLength(frame));
    }
  }
  EXPECT_EQ(previous, 4u);
}

TEST(GifFrames, SliceFromElsewhereIsNotWritten) {
  GifBuilder builder(8, 8, -1);
  builder.Image(0, 0, 8, 8);
  GifReader reader = ReaderOf(builder.bytes());
  GifFrameSlice outside;
  outside.start = 13;
  outside.length = static_cast<std::uint32_t>(builder.Size());
  EXPECT_TRUE(reader.FrameStream(outside).empty());
  GifFrameSlice overHeader;
  overHeader.start = 2;
  overHeader.length = 3;
  Bytes out(reader.FrameStreamLength(overHeader), 0xAB);
  EXPECT_FALSE(reader.WriteFrameStream(overHeader, out.data()));
  EXPECT_EQ(out, Bytes(out.size(), 0xAB));
}

}  // namespace
}  // namespace velkor
