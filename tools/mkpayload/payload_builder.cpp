#include "payload_builder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "payload/sha256.h"
#include "pe_image.h"
#include "payload/seal.h"

namespace velkor::mkpayload {
namespace {

using payload::kMembers;
using payload::MemberKind;

std::string systemError() { return std::strerror(errno); }

unsigned char* memberSlice(std::vector<unsigned char>& payload, const payload::Member& m) {
  return payload.data() + payload::offsetInPayload(m);
}

void addStandin(std::vector<unsigned char>& payload, const payload::Member& m, const std::string& dir) {
  const std::string path = dir + "/" + standinFileName(m.kind);
  const std::string what = "stand-in for " + narrow(m.fileName);
  const std::vector<unsigned char> file = readFile(path, m.length, what);
  unsigned char* slice = memberSlice(payload, m);
  std::memcpy(slice, file.data(), file.size());
  const std::string error = growPe(slice, file.size(), m.length);
  if (!error.empty()) throw InputError(what + " " + path + " " + error);
}

void addFonts(std::vector<unsigned char>& payload, const std::string& dir) {
  unsigned char* bundle = memberSlice(payload, payload::kFontBundle);
  for (const auto& part : payload::kFontParts) {
    const std::string path = dir + "/" + narrow(part.fileName);
    const std::vector<unsigned char> file = readFile(path, part.length, "font");
    if (file.size() != part.length)
      throw InputError("font " + path + " is " + std::to_string(file.size()) + " bytes, its part needs exactly " +
                       std::to_string(part.length));
    if (std::memcmp(file.data(), payload::kTrueTypeTag, 4) != 0)
      throw InputError("font " + path + " does not start with the TrueType tag 00 01 00 00");
    std::memcpy(bundle + part.offset, file.data(), file.size());
  }
}

void writeAll(int fd, const unsigned char* data, std::size_t size, const std::string& path) {
  constexpr std::size_t kChunk = 8u << 20;
  while (size > 0) {
    const ssize_t n = ::write(fd, data, std::min(size, kChunk));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw InputError("cannot write " + path + ": " + systemError());
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

}  // namespace

const char* standinFileName(payload::MemberKind kind) {
  switch (kind) {
    case MemberKind::GuiProgram: return "gui_program.exe";
    case MemberKind::ConsoleProgram: return "console_program.exe";
    case MemberKind::Library: return "library.dll";
    case MemberKind::FontBundle:
    case MemberKind::SkinData: break;
  }
  return nullptr;
}

std::string narrow(const char16_t* text) {
  std::string out;
  for (; *text; ++text) {
    if (*text > 0x7F) throw InputError("file names of the member table must be ASCII");
    out += static_cast<char>(*text);
  }
  return out;
}

void fillDeterministic(unsigned char* dst, std::size_t size, std::uint64_t seed) {
  // splitmix64 over the position of each 8-byte group: quick, and no member's
  // bytes repeat another's.
  std::uint64_t state = seed * 0xD1B54A32D192ED03ull;
  for (std::size_t at = 0; at < size; at += 8) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    for (std::size_t i = 0; i < 8 && at + i < size; ++i) dst[at + i] = static_cast<unsigned char>(z >> (8 * i));
  }
}

void fillSyntheticMember(const payload::Member& m, unsigned char* dst) {
  fillDeterministic(dst, m.length, static_cast<std::uint64_t>(m.number));
  switch (m.kind) {
    case MemberKind::GuiProgram:
    case MemberKind::ConsoleProgram:
    case MemberKind::Library:
      dst[0] = 'M';
      dst[1] = 'Z';
      break;
    case MemberKind::SkinData:
      std::memcpy(dst, payload::kSkinDataMagic, 4);
      break;
    case MemberKind::FontBundle:
      for (const auto& part : payload::kFontParts) std::memcpy(dst + part.offset, payload::kTrueTypeTag, 4);
      break;
  }
}

std::vector<unsigned char> buildDemoPayload(const std::string& standinsDir, const std::string& fontsDir) {
  std::vector<unsigned char> payload(payload::kPayloadSize, 0);
  for (const auto& m : kMembers) {
    switch (m.kind) {
      case MemberKind::GuiProgram:
      case MemberKind::ConsoleProgram:
      case MemberKind::Library:
        addStandin(payload, m, standinsDir);
        break;
      case MemberKind::FontBundle:
        addFonts(payload, fontsDir);
        break;
      case MemberKind::SkinData:  // the demo has no skin of its own: filler behind the magic
        fillSyntheticMember(m, memberSlice(payload, m));
        break;
    }
  }
  return payload;
}

std::vector<unsigned char> buildSyntheticPayload() {
  std::vector<unsigned char> payload(payload::kPayloadSize);
  for (const auto& m : kMembers) fillSyntheticMember(m, memberSlice(payload, m));
  return payload;
}

std::size_t paddingAfterImage(std::size_t imageSize) {
  return (8 - (imageSize + payload::kPayloadSize) % 8) % 8;
}

std::vector<unsigned char> readFile(const std::string& path, std::size_t limit, const std::string& what) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) throw InputError("cannot open " + what + " " + path + ": " + systemError());
  struct stat st {};
  if (::fstat(::fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fclose(f);
    throw InputError(what + " " + path + " is not a regular file");
  }
  if (static_cast<std::uint64_t>(st.st_size) > limit) {
    std::fclose(f);
    throw InputError(what + " " + path + " is " + std::to_string(st.st_size) + " bytes, larger than its place (" +
                     std::to_string(limit) + " bytes)");
  }
  std::vector<unsigned char> data(static_cast<std::size_t>(st.st_size));
  const std::size_t got = data.empty() ? 0 : std::fread(data.data(), 1, data.size(), f);
  std::fclose(f);
  if (got != data.size()) throw InputError("cannot read " + what + " " + path);
  return data;
}

void writeSetupFile(std::vector<unsigned char> image, const std::vector<unsigned char>& payload,
                    const std::string& outPath) {
  if (payload.size() != payload::kPayloadSize) throw InputError("internal: payload of the wrong size");
  const auto record = seal::findSealRecord(image.data(), image.size());
  if (!record) {
    const std::size_t count = seal::countSealMagic(image.data(), image.size());
    if (count == 0) throw InputError("the image holds no seal record (link it with velkor_payload_seal)");
    if (count == 1) throw InputError("the image's seal record is cut off by the end of the image");
    throw InputError("the image holds the seal's magic " + std::to_string(count) +
                     " times; only its seal resource may hold it (is it kept plain in code or debug data?)");
  }
  seal::writeSeal(image.data() + *record,
                  {payload::kPayloadSize, sha256(payload.data(), payload.size())});

  const std::string temp = outPath + ".tmp." + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) throw InputError("cannot create " + temp + ": " + systemError());
  bool closed = false;
  try {
    const unsigned char zeros[8] = {};
    writeAll(fd, image.data(), image.size(), temp);
    writeAll(fd, zeros, paddingAfterImage(image.size()), temp);
    writeAll(fd, payload.data(), payload.size(), temp);
    closed = true;
    if (::close(fd) != 0) throw InputError("cannot write " + temp + ": " + systemError());
  } catch (...) {
    if (!closed) ::close(fd);
    ::unlink(temp.c_str());
    throw;
  }
  if (std::rename(temp.c_str(), outPath.c_str()) != 0) {
    const std::string why = systemError();
    ::unlink(temp.c_str());
    throw InputError("cannot write " + outPath + ": " + why);
  }
}

}  // namespace velkor::mkpayload
