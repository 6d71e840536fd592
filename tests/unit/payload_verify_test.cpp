// mkpayload --verify: a sound setup file, signed or not, is listed member by
// member with digests that match its bytes; every kind of damage is refused
// with one line and exit status 1.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "payload/layout.h"
#include "payload/sha256.h"
#include "payload_builder.h"
#include "payload/seal.h"
#include "unit/payload_test_files.h"

namespace {

using namespace velkor::payloadtest;
using velkor::payload::kPayloadSize;

const std::string kTool = VELKOR_MKPAYLOAD;

std::string hex(const velkor::Sha256Digest& d) {
  std::string out;
  char b[3];
  for (auto x : d) {
    std::snprintf(b, sizeof b, "%02x", x);
    out += b;
  }
  return out;
}

class Verify : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path().empty());
    // A PE image (so a signer's table can be declared in it) carrying the seal.
    auto image = makeTypicalPe();
    velkor::seal::writeSeal(image.data() + 0x500, velkor::seal::PayloadSeal{});
    writeAll(dir / "image.exe", image);
    const ToolRun made = run(quoted(kTool) + " --image " + quoted(dir / "image.exe") + " --synthetic --out " +
                             quoted(setup()));
    ASSERT_EQ(made.exitCode, 0) << made.output;
    bytes = readAll(setup());
  }

  std::string setup() const { return dir / "setup.exe"; }
  ToolRun verify(const std::vector<unsigned char>& file) const {
    writeAll(dir / "checked.exe", file);
    return run(quoted(kTool) + " --verify " + quoted(dir / "checked.exe"));
  }
  void expectRefused(const std::vector<unsigned char>& file, const std::string& reason) const {
    const ToolRun r = verify(file);
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_EQ(r.output.find("mkpayload: error: "), 0u) << r.output;
    EXPECT_NE(r.output.find(reason), std::string::npos) << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << "one line: " << r.output;
  }

  ScratchFolder dir;
  std::vector<unsigned char> bytes;
};

// The output with every run of spaces made one, so lines compare by their fields.
std::string squeezed(const std::string& text) {
  std::string out;
  for (const char c : text)
    if (c != ' ' || out.empty() || out.back() != ' ') out += c;
  return out;
}

TEST_F(Verify, ASoundFileListsEveryMemberWithTheDigestOfItsBytes) {
  const ToolRun r = verify(bytes);
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const std::string fields = squeezed(r.output);
  const unsigned char* payload = bytes.data() + bytes.size() - kPayloadSize;
  EXPECT_NE(r.output.find("payload SHA-256: " + hex(velkor::sha256(payload, kPayloadSize))), std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("signature: none"), std::string::npos);
  for (const auto& m : velkor::payload::kMembers) {
    const std::size_t at = bytes.size() + m.start;
    const std::string line = std::to_string(m.number) + " " + velkor::mkpayload::narrow(m.fileName) + " " +
                             std::to_string(at) + " " + std::to_string(m.length) + " " +
                             hex(velkor::sha256(bytes.data() + at, m.length));
    EXPECT_NE(fields.find(line), std::string::npos) << "member " << m.number << "\n" << r.output;
  }
}

TEST_F(Verify, ASignedFileIsCheckedUpToItsCertificateTable) {
  auto signed_ = bytes;
  const std::uint32_t tableAt = static_cast<std::uint32_t>(signed_.size());
  put32(signed_, kOptionalHeader + 96 + 4 * 8, tableAt);
  put32(signed_, kOptionalHeader + 96 + 4 * 8 + 4, 0x600);
  signed_.insert(signed_.end(), 0x600, 0x30);
  const ToolRun r = verify(signed_);
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("certificate table of 1536 bytes"), std::string::npos) << r.output;

  auto tampered = signed_;
  tampered[tableAt - 1000] ^= 0x01;  // inside the payload, the signature left alone
  expectRefused(tampered, "does not match its seal");
}

TEST_F(Verify, EveryKindOfDamageIsRefusedWithOneLine) {
  {
    SCOPED_TRACE("a payload byte changed");
    auto b = bytes;
    b[b.size() - kPayloadSize / 3] ^= 0x80;
    expectRefused(b, "does not match its seal");
  }
  {
    SCOPED_TRACE("data appended without a signature");
    auto b = bytes;
    b.insert(b.end(), 8, 0);
    expectRefused(b, "does not match its seal");
  }
  {
    SCOPED_TRACE("the last byte cut off");
    auto b = bytes;
    b.pop_back();
    expectRefused(b, "does not match its seal");
  }
  {
    SCOPED_TRACE("less than a payload");
    auto b = bytes;
    b.resize(kPayloadSize - 1);
    expectRefused(b, "cut short");
  }
  {
    SCOPED_TRACE("an image without a seal");
    auto b = bytes;
    std::memset(b.data() + 0x500, 0, velkor::seal::kMagicSize);
    expectRefused(b, "no seal");
  }
  {
    SCOPED_TRACE("an unfilled seal");
    auto b = bytes;
    velkor::seal::writeSeal(b.data() + 0x500, velkor::seal::PayloadSeal{});
    expectRefused(b, "no seal");
  }
  {
    SCOPED_TRACE("no file");
    const ToolRun r = run(quoted(kTool) + " --verify " + quoted(dir / "nothing.exe"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("cannot be opened"), std::string::npos) << r.output;
  }
}

}  // namespace
