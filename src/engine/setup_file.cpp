#include "engine/setup_file.h"

#include <algorithm>
#include <vector>

#include "payload/pe_headers.h"

namespace velkor {

std::optional<std::int64_t> findPayloadEnd(FileSystem& fs, FileHandle file) {
  if (!fs.seek(file, 0, SeekOrigin::End)) return std::nullopt;
  const std::int64_t size = fs.tell(file);
  if (size < 0) return std::nullopt;

  std::optional<pe::CertificateTable> table;
  std::uint8_t dos[pe::kDosHeaderSize];
  if (fs.seek(file, 0, SeekOrigin::Begin) && fs.read(file, dos, sizeof dos) == sizeof dos) {
    if (const auto at = pe::ntHeadersOffset(dos, sizeof dos); at && *at < size) {
      std::uint8_t nt[pe::kNtHeadersSize];
      if (fs.seek(file, *at, SeekOrigin::Begin)) {
        const std::size_t got = fs.read(file, nt, sizeof nt);
        table = pe::certificateTable(nt, got);
      }
    }
  }
  return static_cast<std::int64_t>(pe::payloadEnd(static_cast<std::uint64_t>(size), table));
}

SetupFile holdSetupFile(System& system) {
  SetupFile setup;
  setup.path = system.modulePath();
  setup.stream = ScopedFile(system, system.openReadHeld(setup.path));
  return setup;
}

PayloadCheck::PayloadCheck(FileSystem& fs, FileHandle file, const std::optional<seal::PayloadSeal>& seal,
                           std::uint32_t payloadSize, std::size_t blockSize)
    : fs_(fs), file_(file), seal_(seal), payloadSize_(payloadSize), block_(std::max<std::size_t>(blockSize, 1)),
      remaining_(payloadSize) {}

void PayloadCheck::finish(SetupCheck result) {
  result_.result = result;
  if (result != SetupCheck::Sound) result_.payloadEnd = 0;
  done_ = true;
}

bool PayloadCheck::step() {
  if (done_) return false;
  if (!started_) {
    started_ = true;
    if (!file_) {
      finish(SetupCheck::Unopenable);
      return false;
    }
    const auto end = findPayloadEnd(fs_, file_);
    if (!end || *end < static_cast<std::int64_t>(payloadSize_)) {
      finish(SetupCheck::TooShort);
      return false;
    }
    if (!seal_ || seal_->payloadSize != payloadSize_) {
      finish(SetupCheck::NoSeal);
      return false;
    }
    if (!fs_.seek(file_, *end - payloadSize_, SeekOrigin::Begin)) {
      finish(SetupCheck::TooShort);
      return false;
    }
    result_.payloadEnd = *end;
  }
  if (remaining_ == 0) {
    finish(digest_.finish() == seal_->digest ? SetupCheck::Sound : SetupCheck::Corrupted);
    return false;
  }
  const std::size_t want = std::min<std::size_t>(remaining_, block_.size());
  const std::size_t got = fs_.read(file_, block_.data(), want);
  digest_.update(block_.data(), got);
  if (got < want) {
    finish(SetupCheck::TooShort);
    return got > 0;  // what was read still counts as a block
  }
  remaining_ -= static_cast<std::uint32_t>(want);
  return true;
}

SetupFileCheck checkPayload(FileSystem& fs, FileHandle file, const std::optional<seal::PayloadSeal>& seal,
                            std::uint32_t payloadSize, std::size_t blockSize,
                            const std::function<void()>& afterBlock) {
  PayloadCheck check(fs, file, seal, payloadSize, blockSize);
  while (check.step())
    if (afterBlock) afterBlock();
  return check.result();
}

bool advanceSetupCheck(System& system, SetupFile& setup, std::uint32_t payloadSize, std::size_t blockSize) {
  if (!setup.check)
    setup.check = std::make_unique<PayloadCheck>(system, setup.stream.get(), system.payloadSeal(), payloadSize,
                                                 blockSize);
  return setup.check->step();
}

SetupFileCheck checkSetupFile(System& system, MainWindow& view, SetupFile& setup, std::uint32_t payloadSize,
                              std::size_t blockSize) {
  if (!setup.check)
    setup.check = std::make_unique<PayloadCheck>(system, setup.stream.get(), system.payloadSeal(), payloadSize,
                                                 blockSize);
  while (setup.check->step()) view.pumpMessages();
  return setup.check->result();
}

}  // namespace velkor
