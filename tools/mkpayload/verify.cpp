#include "verify.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "payload/layout.h"
#include "engine/setup_file.h"
#include "payload/sha256.h"
#include "payload_builder.h"
#include "payload/seal.h"
#include "posix_files.h"

namespace velkor::mkpayload {
namespace {

// Setup images are a few MiB; an "image" beyond this holds no seal of ours.
constexpr std::int64_t kImageLimit = 512 << 20;

std::string hex(const Sha256Digest& d) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (const std::uint8_t b : d) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

// The seal record in the image part of the file (everything in front of the
// payload), as the wizard finds it in its own resource.
std::optional<seal::PayloadSeal> sealInImage(FileSystem& fs, FileHandle file, std::int64_t payloadEnd) {
  const std::int64_t imageSize = payloadEnd - payload::kPayloadSize;
  if (imageSize <= 0 || imageSize > kImageLimit || !fs.seek(file, 0, SeekOrigin::Begin)) return std::nullopt;
  std::vector<std::uint8_t> image(static_cast<std::size_t>(imageSize));
  if (fs.read(file, image.data(), image.size()) != image.size()) return std::nullopt;
  const auto at = seal::findSealRecord(image.data(), image.size());
  if (!at) return std::nullopt;
  return seal::parseSeal(image.data() + *at, seal::kSealRecordSize);
}

std::optional<Sha256Digest> digestOf(FileSystem& fs, FileHandle file, std::int64_t from, std::uint32_t length) {
  if (!fs.seek(file, from, SeekOrigin::Begin)) return std::nullopt;
  std::vector<std::uint8_t> block(1 << 20);
  Sha256 hash;
  while (length > 0) {
    const std::size_t want = std::min<std::size_t>(length, block.size());
    if (fs.read(file, block.data(), want) != want) return std::nullopt;
    hash.update(block.data(), want);
    length -= static_cast<std::uint32_t>(want);
  }
  return hash.finish();
}

std::string why(SetupCheck result) {
  switch (result) {
    case SetupCheck::Sound: break;
    case SetupCheck::Unopenable: return "cannot be opened";
    case SetupCheck::TooShort:
      return "is cut short: less than the " + std::to_string(payload::kPayloadSize) +
             "-byte payload lies behind its image";
    case SetupCheck::NoSeal:
      return "carries no seal for a payload of " + std::to_string(payload::kPayloadSize) +
             " bytes (an image not sealed by mkpayload)";
    case SetupCheck::Corrupted:
      return "does not match its seal: the payload's SHA-256 differs (a changed byte, bytes cut off, or data "
             "behind the payload that is no declared signature)";
  }
  return "is sound";
}

}  // namespace

int verifySetupFile(const std::string& path, std::FILE* out, std::FILE* err) {
  PosixReadFiles fs;
  ScopedFile file(fs, fs.openRead(PosixReadFiles::fromUtf8Bytes(path)));
  const auto fail = [&](const std::string& reason) {
    std::fprintf(err, "mkpayload: error: %s %s\n", path.c_str(), reason.c_str());
    return 1;
  };
  if (!file) return fail(why(SetupCheck::Unopenable) + ": " + std::strerror(errno));

  const auto end = findPayloadEnd(fs, file.get());
  std::optional<seal::PayloadSeal> sealed;
  if (end) sealed = sealInImage(fs, file.get(), *end);
  const SetupFileCheck check =
      checkPayload(fs, file.get(), sealed, payload::kPayloadSize, kDefaultCopyBlock, {});
  if (check.result != SetupCheck::Sound) return fail(why(check.result));

  fs.seek(file.get(), 0, SeekOrigin::End);
  const std::int64_t size = fs.tell(file.get());
  const std::int64_t payloadAt = check.payloadEnd - payload::kPayloadSize;
  std::fprintf(out, "%s: sound, %lld bytes\n", path.c_str(), static_cast<long long>(size));
  std::fprintf(out, "image: %lld bytes (with padding); payload: %u bytes at offset %lld\n",
               static_cast<long long>(payloadAt), payload::kPayloadSize, static_cast<long long>(payloadAt));
  if (size > check.payloadEnd)
    std::fprintf(out, "signature: certificate table of %lld bytes behind the payload\n",
                 static_cast<long long>(size - check.payloadEnd));
  else
    std::fprintf(out, "signature: none\n");

  std::fprintf(out, "%-3s %-20s %10s %10s  %s\n", "#", "member", "offset", "length", "SHA-256");
  for (const auto& m : payload::kMembers) {
    const std::int64_t at = check.payloadEnd + m.start;
    const auto digest = digestOf(fs, file.get(), at, m.length);
    if (!digest) return fail("could not be read again at member " + narrow(m.fileName));
    std::fprintf(out, "%-3d %-20s %10lld %10u  %s\n", m.number, narrow(m.fileName).c_str(),
                 static_cast<long long>(at), m.length, hex(*digest).c_str());
  }
  for (const auto& part : payload::kFontParts) {
    const std::int64_t at = check.payloadEnd + payload::kFontBundle.start + part.offset;
    const auto digest = digestOf(fs, file.get(), at, part.length);
    if (!digest) return fail("could not be read again at font " + narrow(part.fileName));
    std::fprintf(out, "3.%d %-20s %10lld %10u  %s\n", part.number, narrow(part.fileName).c_str(),
                 static_cast<long long>(at), part.length, hex(*digest).c_str());
  }
  std::fprintf(out, "payload SHA-256: %s\n", hex(sealed->digest).c_str());
  return 0;
}

}  // namespace velkor::mkpayload
