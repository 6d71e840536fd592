// Feeds arbitrary bytes to the GIF reader the way a load does: recognise,
// count the frames, then extract every frame and build its frame stream.
// The input is copied into a buffer of exactly its size, so AddressSanitizer
// reports any read past the end. Invariants that a fault would break abort.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "controls/pictureex/frame_schedule.h"
#include "controls/pictureex/gif_reader.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  std::vector<std::uint8_t> stream(data, data + size);
  const std::uint8_t* bytes = stream.empty() ? nullptr : stream.data();

  // The split does not depend on the signature, so walk every input; the
  // recognition is exercised on the same bytes.
  (void)IsGifStream(bytes, size);
  GifReader reader(bytes, size);
  const std::uint32_t prefix = gif::kGlobalTableOffset + reader.GlobalTableSize();

  const std::uint32_t count = reader.CountFrames();
  Check(reader.Cursor() <= size || count == 0);

  reader.RewindToFirstBlock();
  std::uint32_t extracted = 0;
  std::uint32_t lastEnd = prefix;
  while (auto frame = reader.ExtractFrame()) {
    ++extracted;
    Check(frame->length > 0);
    Check(frame->start >= lastEnd);  // frames come in stream order, apart
    Check(std::uint64_t{frame->start} + frame->length <= size);
    Check(reader.Cursor() == frame->start + frame->length);
    lastEnd = reader.Cursor();

    const std::uint32_t length = reader.FrameStreamLength(*frame);
    Check(length == 14u + reader.GlobalTableSize() + frame->length);
    std::vector<std::uint8_t> out(length);
    Check(reader.WriteFrameStream(*frame, out.data()));
    Check(std::memcmp(out.data(), bytes, prefix) == 0);
    Check(std::memcmp(out.data() + prefix, bytes + frame->start, frame->length) == 0);
    Check(out.back() == gif::kTrailer);
    Check(frame->info.disposal <= 7);
    Check(frame->info.delay <= 0xFFFF || frame->info.delay == gif::kNoGraphicControl);
    const FramePlan plan = PlanFrame(frame->info);
    Check(plan.waitMs > 0 && plan.waitMs < 0xFFFFFFFFu);
  }
  Check(extracted == count);
  return 0;
}
