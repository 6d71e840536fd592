#include "controls/pictureex/frame_list.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "unit/controls_gif_builder.h"

namespace velkor {
namespace {

using test::GifBuilder;

// A decoded frame, as the fake decoder makes it: which frame it was made from.
struct Decoded {
  std::uint32_t start = 0;
};

// Decodes every frame whose block range starts at an offset not in `broken`;
// keeps what it made, and counts its calls per start offset.
class FakeDecoder {
 public:
  std::vector<std::uint32_t> broken;
  std::vector<std::uint32_t> calls;

  Decoded* operator()(const GifFrameSlice& slice) {
    calls.push_back(slice.start);
    for (std::uint32_t b : broken) {
      if (b == slice.start) return nullptr;
    }
    made_.push_back(Decoded{slice.start});
    return &made_.back();
  }

 private:
  std::deque<Decoded> made_;
};

// Three frames: red (delay 10), a comment in front of the second frame's
// image (delay 20, disposal 2), and one without a graphic control extension.
struct ThreeFrames {
  GifBuilder gif;
  std::size_t first, second, third, end;
  ThreeFrames() {
    gif.Application();
    first = gif.Gce(10, 1);
    gif.Image(0, 0, 40, 30);
    second = gif.Gce(20, 2);
    gif.Comment("between");
    gif.Image(5, 6, 7, 8);
    third = gif.Image(1, 2, 3, 4);
    end = gif.Trailer();
  }
};

TEST(FrameList, ListsEveryFrameWithItsBlockRangeAndDecodesNone) {
  ThreeFrames s;
  GifReader reader(s.gif.bytes().data(), s.gif.Size());
  const std::vector<TFrame<Decoded>> frames = ListFrames<Decoded>(reader);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].start, s.first);
  EXPECT_EQ(frames[0].length, s.second - s.first);
  EXPECT_EQ(frames[1].start, s.second);
  EXPECT_EQ(frames[1].length, s.third - s.second);
  EXPECT_EQ(frames[2].start, s.third);
  EXPECT_EQ(frames[2].length, s.end - s.third);
  EXPECT_EQ(frames[1].delay, 20u);
  EXPECT_EQ(frames[1].disposal, 2u);
  EXPECT_EQ(frames[1].origin, (GifSize{5, 6}));
  EXPECT_EQ(frames[1].extent, (GifSize{7, 8}));
  EXPECT_EQ(frames[2].delay, gif::kNoGraphicControl);
  for (const TFrame<Decoded>& frame : frames) {
    EXPECT_EQ(frame.picture, nullptr);
    EXPECT_FALSE(frame.undecodable);
  }
  // A listed frame's slice makes the same frame stream as the extraction.
  reader.RewindToFirstBlock();
  reader.ExtractFrame();
  const std::optional<GifFrameSlice> extracted = reader.ExtractFrame();
  ASSERT_TRUE(extracted.has_value());
  EXPECT_EQ(reader.FrameStream(frames[1].Slice()), reader.FrameStream(*extracted));
}

TEST(FrameList, AFrameIsDecodedOnceAndOneThatFailsIsNeverTriedAgain) {
  ThreeFrames s;
  GifReader reader(s.gif.bytes().data(), s.gif.Size());
  std::vector<TFrame<Decoded>> frames = ListFrames<Decoded>(reader);
  FakeDecoder decode;
  decode.broken = {static_cast<std::uint32_t>(s.second)};

  EXPECT_TRUE(PrepareFrame(frames[0], decode));
  ASSERT_NE(frames[0].picture, nullptr);
  EXPECT_EQ(frames[0].picture->start, s.first);
  EXPECT_TRUE(PrepareFrame(frames[0], decode)) << "held: not decoded again";

  EXPECT_FALSE(PrepareFrame(frames[1], decode));
  EXPECT_TRUE(frames[1].undecodable);
  EXPECT_FALSE(PrepareFrame(frames[1], decode));
  EXPECT_EQ(decode.calls, (std::vector<std::uint32_t>{static_cast<std::uint32_t>(s.first),
                                                      static_cast<std::uint32_t>(s.second)}));

  // Once let go, a picture is made again when it is needed.
  frames[0].picture = nullptr;
  EXPECT_TRUE(PrepareFrame(frames[0], decode));
  EXPECT_EQ(decode.calls.size(), 3u);
}

TEST(FrameList, ALoadDecodesOnlyTheFirstFrameThatDecodes) {
  ThreeFrames s;
  GifReader reader(s.gif.bytes().data(), s.gif.Size());
  std::vector<TFrame<Decoded>> frames = ListFrames<Decoded>(reader);
  FakeDecoder decode;
  ASSERT_TRUE(DecodeFirstFrame(frames, decode));
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_NE(frames[0].picture, nullptr);
  EXPECT_EQ(frames[1].picture, nullptr);
  EXPECT_EQ(frames[2].picture, nullptr);
  EXPECT_EQ(decode.calls.size(), 1u);

  // Frames in front of the first that decodes are left out of the list.
  frames = ListFrames<Decoded>(reader);
  FakeDecoder skipping;
  skipping.broken = {static_cast<std::uint32_t>(s.first), static_cast<std::uint32_t>(s.second)};
  ASSERT_TRUE(DecodeFirstFrame(frames, skipping));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].start, s.third);
  EXPECT_NE(frames[0].picture, nullptr);

  // None decodes: the load has nothing to show.
  frames = ListFrames<Decoded>(reader);
  FakeDecoder none;
  none.broken = {static_cast<std::uint32_t>(s.first), static_cast<std::uint32_t>(s.second),
                 static_cast<std::uint32_t>(s.third)};
  EXPECT_FALSE(DecodeFirstFrame(frames, none));
  EXPECT_TRUE(frames.empty());
  EXPECT_EQ(none.calls.size(), 3u);
}

TEST(FrameList, KeepingOnlyTheFrameAboutToBeShownLetsGoOfEveryOtherPicture) {
  ThreeFrames s;
  GifReader reader(s.gif.bytes().data(), s.gif.Size());
  std::vector<TFrame<Decoded>> frames = ListFrames<Decoded>(reader);
  FakeDecoder decode;
  for (TFrame<Decoded>& frame : frames) ASSERT_TRUE(PrepareFrame(frame, decode));
  Decoded* first = frames[0].picture;
  Decoded* third = frames[2].picture;
  std::vector<Decoded*> released;
  KeepOnly(frames, 1, [&](Decoded* picture) { released.push_back(picture); });
  EXPECT_EQ(released, (std::vector<Decoded*>{first, third}));
  EXPECT_EQ(frames[0].picture, nullptr);
  EXPECT_NE(frames[1].picture, nullptr);
  EXPECT_EQ(frames[2].picture, nullptr);
  released.clear();
  KeepOnly(frames, 1, [&](Decoded* picture) { released.push_back(picture); });
  EXPECT_TRUE(released.empty()) << "nothing is released twice";
}

}  // namespace
}  // namespace velkor
