// The payload's digest: the standard's test vectors through both block
// engines, any split of the input, and the two engines agreeing byte for byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "payload/sha256.h"

namespace {

using velkor::Sha256;
using velkor::Sha256Digest;

std::string hex(const Sha256Digest& d) {
  std::string out;
  char buf[3];
  for (auto b : d) {
    std::snprintf(buf, sizeof buf, "%02x", b);
    out += buf;
  }
  return out;
}

Sha256Digest digestOf(const std::string& text, Sha256::Engine engine) {
  Sha256 hash(engine);
  hash.update(text.data(), text.size());
  return hash.finish();
}

const Sha256::Engine kEngines[] = {Sha256::Engine::Portable, Sha256::Engine::Auto};

TEST(Sha256, StandardVectorsOnBothEngines) {
  const struct {
    std::string input;
    const char* digest;
  } vectors[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1'000'000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  std::printf("processor SHA extensions: %s\n", Sha256::hardwareAvailable() ? "used" : "absent");
  for (const auto engine : kEngines)
    for (const auto& v : vectors)
      EXPECT_EQ(hex(digestOf(v.input, engine)), v.digest)
          << (engine == Sha256::Engine::Auto ? "auto" : "portable") << ", " << v.input.size() << " bytes";
}

TEST(Sha256, EveryLengthAndSplitGivesTheDigestOfTheWhole) {
  std::vector<unsigned char> bytes(1000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 131 + (i >> 3));
  // Lengths around every padding boundary, each in one piece and in uneven
  // pieces; the two engines must agree on all of them.
  for (std::size_t n = 0; n <= 300; ++n) {
    Sha256 portable(Sha256::Engine::Portable);
    portable.update(bytes.data(), n);
    const Sha256Digest whole = portable.finish();

    Sha256 pieces;
    for (std::size_t at = 0; at < n;) {
      const std::size_t take = std::min<std::size_t>(n - at, 1 + (at * 7) % 70);
      pieces.update(bytes.data() + at, take);
      at += take;
    }
    ASSERT_EQ(hex(pieces.finish()), hex(whole)) << n << " bytes";
  }
  // Many blocks in one call (the engines' own loop).
  EXPECT_EQ(hex(velkor::sha256(bytes.data(), bytes.size())),
            hex(digestOf(std::string(bytes.begin(), bytes.end()), Sha256::Engine::Portable)));
}

}  // namespace
