#include "controls/pictureex/frame_list.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <vector>

#include "unit/controls_gif_builder.h"

namespace velkor {
namespace {

// A fake decoded picture: the block range it was made from.
struct Decoded {
  std::uint32_t start = 0;
};

// Decodes every frame except those starting at an offset in `broken`; counts
// its calls.
struct FakeDecoder {
  std::vector<std::size_t> broken;
  int calls = 0;
  std::deque<Decoded> made;
  Decoded* operator()(const GifFrameSlice& slice) {
    ++calls;
    for (std::size_t b : broken) {
      if (b == slice.start) return nullptr;
    }
    made.push_back(Decoded{slice.start});
    return &made.back();
  }
};

std::vector<TFrame<Decoded>> ThreeFrames(test::GifBuilder& gif, std::size_t at[3]) {
  gif.Application();
  at[0] = gif.Gce(10, 1);
  gif.Image(0, 0, 40, 30);
  at[1] = gif.Gce(20, 2);
  gif.Image(5, 6, 7, 8);
  at[2] = gif.Image(1, 2, 3, 4);
  gif.Trailer();
  GifReader reader(gif.bytes().data(), gif.Size());
  return ListFrames<Decoded>(reader);
}

TEST(FrameList, FramesAreListedUndecodedAndALoadDecodesTheFirstThatDecodes) {
  test::GifBuilder gif;
  std::size_t at[3];
  std::vector<TFrame<Decoded>> frames = ThreeFrames(gif, at);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[1].start, at[1]);
  EXPECT_EQ(frames[1].length, at[2] - at[1]);
  EXPECT_EQ(frames[1].delay, 20u);
  EXPECT_EQ(frames[1].origin, (GifSize{5, 6}));
  for (const TFrame<Decoded>& frame : frames) EXPECT_EQ(frame.picture, nullptr);

  FakeDecoder decode;
  ASSERT_TRUE(DecodeFirstFrame(frames, decode));
  EXPECT_EQ(decode.calls, 1) << "the others wait for their turn";
  ASSERT_NE(frames[0].picture, nullptr);
  EXPECT_EQ(frames[0].picture->start, at[0]);

  // A frame that did not decode is never tried again; a held one is not
  // decoded twice.
  decode.broken = {at[1]};
  EXPECT_FALSE(PrepareFrame(frames[1], decode));
  EXPECT_FALSE(PrepareFrame(frames[1], decode));
  EXPECT_TRUE(PrepareFrame(frames[0], decode));
  EXPECT_EQ(decode.calls, 2);

  // What is left to decode, in stream order: neither a held frame nor one
  // that failed, and nothing once every frame has been tried.
  EXPECT_EQ(NextToDecode(frames), std::optional<std::size_t>(2));
  EXPECT_TRUE(PrepareFrame(frames[2], decode));
  EXPECT_EQ(NextToDecode(frames), std::nullopt);

  // Frames in front of the first that decodes are left out; none decoding
  // leaves nothing.
  frames = ThreeFrames(gif = test::GifBuilder(), at);
  FakeDecoder skipping{{at[0], at[1]}};
  ASSERT_TRUE(DecodeFirstFrame(frames, skipping));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].start, at[2]);
  frames = ThreeFrames(gif = test::GifBuilder(), at);
  FakeDecoder none{{at[0], at[1], at[2]}};
  EXPECT_FALSE(DecodeFirstFrame(frames, none));
  EXPECT_TRUE(frames.empty());
}

}  // namespace
}  // namespace velkor
