// The animation's frame list: every frame the GIF reader cut out of the
// stream, in stream order. A load decodes only the first, which the first
// paint shows; the others are decoded later, each once and in stream order,
// from where its blocks lie in the control's copy of the stream. The decoder
// (the system's picture decoder on Windows) is passed in as a function of the
// frame's slice that returns the picture, or null when the frame stream does
// not decode.
#pragma once

#include <cstdint>
#include <new>
#include <optional>
#include <vector>

#include "controls/pictureex/gif_reader.h"

namespace velkor {

// One frame of the control's frame list; the Windows control supplies its
// picture type and holds one reference while `picture` is set.
template <typename Picture>
struct TFrame : GifFrameInfo {
  Picture* picture = nullptr;
  // The frame's block range in the stream (GifFrameSlice's start and length).
  std::uint32_t start = 0;
  std::uint32_t length = 0;
  // Its frame stream did not decode: it is never shown, and not tried again.
  bool undecodable = false;

  GifFrameSlice Slice() const { return {start, length, *this}; }
};

// Every frame of the stream, none decoded. A frame that cannot be added (no
// memory) ends the list, as the end of the stream would.
template <typename Picture>
std::vector<TFrame<Picture>> ListFrames(GifReader& reader) {
  std::vector<TFrame<Picture>> frames;
  reader.RewindToFirstBlock();
  while (const std::optional<GifFrameSlice> slice = reader.ExtractFrame()) {
    TFrame<Picture> frame;
    static_cast<GifFrameInfo&>(frame) = slice->info;
    frame.start = slice->start;
    frame.length = slice->length;
    try {
      frames.push_back(frame);
    } catch (const std::bad_alloc&) {
      break;
    }
  }
  return frames;
}

// Has the frame's picture ready to draw, decoding it unless it holds one;
// false for a frame that does not decode.
template <typename Picture, typename Decode>
bool PrepareFrame(TFrame<Picture>& frame, Decode&& decode) {
  if (frame.picture != nullptr) return true;
  if (frame.undecodable) return false;
  frame.picture = decode(frame.Slice());
  frame.undecodable = frame.picture == nullptr;
  return !frame.undecodable;
}

// What a load decodes: the first frame, which the first paint shows. Frames
// in front of it that do not decode are left out of the list, as a load that
// decoded every frame would leave them out; false, with an empty list, when
// none decodes. The frames after it wait for their turn.
template <typename Picture, typename Decode>
bool DecodeFirstFrame(std::vector<TFrame<Picture>>& frames, Decode&& decode) {
  std::size_t failed = 0;
  while (failed < frames.size() && !PrepareFrame(frames[failed], decode)) ++failed;
  frames.erase(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(failed));
  return !frames.empty();
}

// The first frame, in stream order, still to be decoded: it holds no
// picture and has not failed. None when every frame has been tried.
template <typename Picture>
std::optional<std::size_t> NextToDecode(const std::vector<TFrame<Picture>>& frames) {
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (frames[i].picture == nullptr && !frames[i].undecodable) return i;
  }
  return std::nullopt;
}

}  // namespace velkor
