#include "engine/setup_file.h"

#include <algorithm>
#include <vector>

#include "engine/crc32.h"
#include "engine/pe_certificate.h"

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

namespace {

SetupCheck checkPayload(System& system, WizardView& view, FileHandle file,
                        std::int64_t payloadEnd, std::uint32_t payloadSize,
                        std::size_t blockSize) {
  if (payloadEnd < static_cast<std::int64_t>(payloadSize)) return SetupCheck::TooShort;
  const auto seal = system.payloadSeal();
  if (!seal || seal->payloadSize != payloadSize) return SetupCheck::NoSeal;
  if (!system.seek(file, payloadEnd - payloadSize, SeekOrigin::Begin)) return SetupCheck::TooShort;

  std::vector<std::uint8_t> block(std::max<std::size_t>(blockSize, 1));
  std::uint32_t crc = 0;
  std::uint32_t remaining = payloadSize;
  while (remaining > 0) {
    const std::size_t want = std::min<std::size_t>(remaining, block.size());
    const std::size_t got = system.read(file, block.data(), want);
    if (got > 0) {
      crc = crc32Update(crc, block.data(), got);
      view.pumpMessages();
    }
    if (got < want) return SetupCheck::TooShort;
    remaining -= static_cast<std::uint32_t>(want);
  }
  return crc == seal->payloadCrc ? SetupCheck::Sound : SetupCheck::Corrupted;
}

}  // namespace

SetupFileCheck openSetupFile(System& system, WizardView& view, std::uint32_t payloadSize,
                             std::size_t blockSize) {
  SetupFileCheck check;
  check.file.path = system.modulePath();
  check.file.stream = ScopedFile(system, system.openRead(check.file.path));
  if (!check.file.stream) {
    check.result = SetupCheck::Unopenable;
    return check;
  }
  const auto end = findPayloadEnd(system, check.file.stream.get());
  if (!end) {
    check.result = SetupCheck::TooShort;
  } else {
    check.file.payloadEnd = *end;
    check.result = checkPayload(system, view, check.file.stream.get(), *end, payloadSize, blockSize);
  }
  if (check.result != SetupCheck::Sound) check.file.stream.close();
  return check;
}

}  // namespace velkor
