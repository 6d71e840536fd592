#include "engine/setup_file.h"

#include <algorithm>
#include <vector>

#include "engine/pe_certificate.h"
#include "engine/sha256.h"

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

SetupFileCheck checkPayload(FileSystem& fs, FileHandle file, const std::optional<seal::PayloadSeal>& seal,
                            std::uint32_t payloadSize, std::size_t blockSize,
                            const std::function<void()>& afterBlock) {
  SetupFileCheck check;
  if (!file) return check;
  const auto end = findPayloadEnd(fs, file);
  check.result = SetupCheck::TooShort;
  if (!end || *end < static_cast<std::int64_t>(payloadSize)) return check;
  check.result = SetupCheck::NoSeal;
  if (!seal || seal->payloadSize != payloadSize) return check;
  check.result = SetupCheck::TooShort;
  if (!fs.seek(file, *end - payloadSize, SeekOrigin::Begin)) return check;

  std::vector<std::uint8_t> block(std::max<std::size_t>(blockSize, 1));
  Sha256 digest;
  std::uint32_t remaining = payloadSize;
  while (remaining > 0) {
    const std::size_t want = std::min<std::size_t>(remaining, block.size());
    const std::size_t got = fs.read(file, block.data(), want);
    if (got > 0) {
      digest.update(block.data(), got);
      if (afterBlock) afterBlock();
    }
    if (got < want) return check;
    remaining -= static_cast<std::uint32_t>(want);
  }
  check.result = digest.finish() == seal->digest ? SetupCheck::Sound : SetupCheck::Corrupted;
  if (check.result == SetupCheck::Sound) check.payloadEnd = *end;
  return check;
}

SetupFileCheck checkSetupFile(System& system, WizardView& view, const SetupFile& setup,
                              std::uint32_t payloadSize, std::size_t blockSize) {
  if (!setup.stream) return SetupFileCheck{};
  return checkPayload(system, setup.stream.get(), system.payloadSeal(), payloadSize, blockSize,
                      [&view] { view.pumpMessages(); });
}

}  // namespace velkor
