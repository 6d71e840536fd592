// The peer installer must show the wizard's own agreement and install into
// the wizard's own folder: the files written for its script, read back.
#include "bench/nsis_inputs.h"

#include <gtest/gtest.h>

#include "engine/install_paths.h"
#include "wizard/licence_logic.h"

namespace velkor::bench::nsis {
namespace {

// UTF-16LE bytes back to code units.
std::u16string units(const std::string& bytes) {
  std::u16string out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  return out;
}

TEST(NsisInputs, LicenceIsTheAgreementWithCrLfBehindAByteOrderMark) {
  const std::string bytes = licenceFile();
  ASSERT_EQ(bytes.size() % 2, 0u);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2));  // little-endian mark
  const std::u16string text = units(bytes).substr(1);
  std::u16string withoutCr;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      ASSERT_LT(i + 1, text.size());
      EXPECT_EQ(text[i + 1], u'\n') << "a CR without its LF at unit " << i;
      continue;
    }
    if (text[i] == u'\n') EXPECT_TRUE(i > 0 && text[i - 1] == u'\r') << "a bare LF at unit " << i;
    withoutCr += text[i];
  }
  EXPECT_TRUE(withoutCr == wizard::agreementText());
}

TEST(NsisInputs, FactsNameTheInstallFolder) {
  const auto facts = factsFile();
  ASSERT_TRUE(facts.has_value());
  std::string folder;
  for (const char16_t* p = paths::kInstallDirectory; *p; ++p) folder += static_cast<char>(*p);
  EXPECT_EQ(*facts, "!define INSTALL_DIR \"" + folder + "\"\n");
}

}  // namespace
}  // namespace velkor::bench::nsis
