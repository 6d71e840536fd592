// The setup file's bytes are untrusted: a damaged or hostile download must
// never make the header parsers read outside what they were given, and the
// members must be cut out of the payload exactly where the layout puts them,
// whatever the file's size and its declared certificate table.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/block_copy.h"
#include "engine/extraction.h"
#include "payload/layout.h"
#include "payload/pe_headers.h"
#include "engine/progress_meter.h"
#include "engine/setup_file.h"
#include "payload/seal.h"

namespace {

using namespace velkor;

// A setup file of any size whose first bytes are the input (the rest is not
// stored: a read there fills only the bytes it returns' ends), and
// destinations that keep no data but check that every block written is the
// one just read, from where the member lies in the payload.
class SlicingFiles final : public FileSystem {
 public:
  SlicingFiles(const std::uint8_t* head, std::size_t headSize, std::uint64_t size)
      : head_(head), headSize_(headSize), size_(size) {}

  struct Destination {
    std::int64_t expectedStart = 0;  // where its member starts in the file
    std::uint64_t written = 0;
    bool deleted = false;
  };
  std::map<std::u16string, Destination> destinations;
  std::int64_t payloadEnd = 0;
  std::int64_t payloadStart() const { return payloadEnd - static_cast<std::int64_t>(payload::kPayloadSize); }

  FileHandle openRead(const std::u16string&) override { return FileHandle{kSetup}; }
  FileHandle openReadHeld(const std::u16string&) override { return FileHandle{kSetup}; }
  FileHandle openReadWrite(const std::u16string& path) override {
    current_ = &destinations[path];
    current_->written = 0;
    current_->deleted = false;
    return FileHandle{kDestination};
  }
  bool seek(FileHandle f, std::int64_t offset, SeekOrigin origin) override {
    if (f.value != kSetup) std::abort();
    const std::int64_t to = origin == SeekOrigin::End ? static_cast<std::int64_t>(size_) + offset : offset;
    if (to < 0) return false;
    position_ = static_cast<std::uint64_t>(to);
    return true;
  }
  std::int64_t tell(FileHandle) override { return static_cast<std::int64_t>(position_); }
  std::size_t read(FileHandle f, void* buffer, std::size_t count) override {
    if (f.value != kSetup) std::abort();
    const std::uint64_t got = position_ >= size_ ? 0 : std::min<std::uint64_t>(count, size_ - position_);
    auto* out = static_cast<std::uint8_t*>(buffer);
    if (position_ < headSize_) {
      const std::size_t fromHead = static_cast<std::size_t>(std::min<std::uint64_t>(got, headSize_ - position_));
      std::memcpy(out, head_ + position_, fromHead);
    } else if (got > 0) {
      out[0] = out[got - 1] = 0x5A;  // the block's ends are touched, so a short buffer would show
    }
    lastRead_ = position_;
    lastCount_ = got;
    position_ += got;
    return static_cast<std::size_t>(got);
  }
  std::size_t write(FileHandle f, const void*, std::size_t count) override {
    if (f.value != kDestination || current_ == nullptr) std::abort();
    // The block is the one just read, it follows the last one, and it lies
    // inside the payload: never the image before it or a certificate after.
    const std::int64_t from = static_cast<std::int64_t>(lastRead_);
    if (count != lastCount_) std::abort();
    if (from != current_->expectedStart + static_cast<std::int64_t>(current_->written)) std::abort();
    if (from < payloadStart() || from + static_cast<std::int64_t>(count) > payloadEnd) std::abort();
    current_->written += count;
    return count;
  }
  bool close(FileHandle) override { return true; }
  bool deleteFile(const std::u16string& path) override {
    destinations[path].deleted = true;
    return true;
  }
  bool createDirectory(const std::u16string&) override { return false; }
  bool removeDirectory(const std::u16string&) override { return false; }
  bool copyFile(const std::u16string&, const std::u16string&, bool) override { return false; }
  std::optional<FindResult> findFirst(const std::u16string&) override { return std::nullopt; }

  Destination* current_ = nullptr;

 private:
  static constexpr std::uintptr_t kSetup = 1, kDestination = 2;
  const std::uint8_t* head_;
  std::size_t headSize_;
  std::uint64_t size_;
  std::uint64_t position_ = 0;
  std::uint64_t lastRead_ = 0, lastCount_ = 0;
};

// The copy's window: nothing to show, nothing recorded (hundreds of blocks
// a run).
class QuietView final : public MainWindow {
 public:
  void setText(int, const std::u16string&) override {}
  void show(int, bool) override {}
  void setProgressRange(std::uint16_t, std::uint16_t) override {}
  void setProgressStep(int) override {}
  void setProgressPos(int) override {}
  void stepProgress() override {}
  void pumpMessages() override {}
  int messageBox(const std::u16string&, const std::u16string&, unsigned) override { return 0; }
  void updateWindow() override {}
  void stopAnimation(int) override {}
  void moveControl(int, int, int) override {}
  void showWindow(bool) override {}
  void playSound() override {}
  void enableCloseItem(bool) override {}
  void endWithOk() override {}
  void endDialog(int) override {}
  void sendCloseCommand() override {}
};

// The input is the file's head; its last four bytes say how much more file
// lies behind it (up to twice a payload), so that whole payloads, payloads
// cut short and certificate tables at any place are all reached.
void fuzzSlicing(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return;
  const std::uint32_t tail = static_cast<std::uint32_t>(data[size - 4]) | data[size - 3] << 8 |
                             data[size - 2] << 16 | static_cast<std::uint32_t>(data[size - 1]) << 24;
  const std::uint64_t fileSize = size + tail % (2ull * payload::kPayloadSize);
  SlicingFiles files(data, size, fileSize);
  const auto end = findPayloadEnd(files, FileHandle{1});
  if (!end || *end < 0 || static_cast<std::uint64_t>(*end) > fileSize) std::abort();
  files.payloadEnd = *end;

  QuietView view;
  ProgressMeter progress(view);
  BlockCopier copier(files, view, progress);
  for (const payload::Member& member : payload::kMembers) {
    SlicingFiles::Destination& d = files.destinations[member.destination];
    d.expectedStart = *end + member.start;
    const ExtractResult result = extractMember(copier, view, FileHandle{1}, *end, member);
    // Every member ends inside the payload, so it is whole exactly when the
    // payload's end leaves room for its start.
    const bool fits = d.expectedStart >= 0;
    if (fits != (result == ExtractResult::Written)) std::abort();
    if (fits && d.written != member.length) std::abort();
    if (!fits && (result != ExtractResult::ShortRead || !d.deleted)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size copy, so that any read past the end hits the sanitizer.
  std::vector<std::uint8_t> bytes(data, data + size);
  const std::uint8_t* p = bytes.empty() ? nullptr : bytes.data();

  if (auto nt = velkor::pe::ntHeadersOffset(p, size)) {
    if (*nt < size) {
      auto table = velkor::pe::certificateTable(p + *nt, size - *nt);
      const std::uint64_t fileSize = size + (table ? table->size : 0u);
      const std::uint64_t end = velkor::pe::payloadEnd(fileSize, table);
      if (end > fileSize) std::abort();  // the payload never ends behind the file
    }
  }
  (void)velkor::pe::certificateTable(p, size);
  // The section table, as the payload tool reads a stand-in: every section it
  // accepts lies inside the bytes.
  velkor::pe::PeLayout layout;
  std::string error;
  if (velkor::pe::readPeLayout(p, size, layout, error)) {
    for (const auto& section : layout.sections)
      if (section.sizeOfRawData != 0 &&
          std::uint64_t{section.pointerToRawData} + section.sizeOfRawData > size)
        std::abort();
  }

  if (auto at = velkor::seal::findSealRecord(p, size)) {
    if (*at + velkor::seal::kSealRecordSize > size) std::abort();
    if (!velkor::seal::parseSeal(p + *at, velkor::seal::kSealRecordSize)) std::abort();
  }
  (void)velkor::seal::parseSeal(p, size);
  (void)velkor::seal::countSealMagic(p, size);

  fuzzSlicing(p, size);
  return 0;
}
