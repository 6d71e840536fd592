// Growing a PE stand-in to its member's length: the last section absorbs the
// growth, the headers follow, and files that cannot be grown safely are refused.
#include <gtest/gtest.h>

#include "payload_test_files.h"
#include "pe_image.h"

namespace {

using namespace velkor::payloadtest;
using velkor::mkpayload::growPe;
using namespace velkor::pe;

// The file in a buffer of the member's length, grown there.
std::string grow(std::vector<unsigned char>& file, std::size_t memberLength) {
  const std::size_t size = file.size();
  file.resize(std::max(size, memberLength), 0);
  return growPe(file.data(), size, memberLength);
}

TEST(PeGrow, LastSectionEndsAtTheMemberLengthAndHeadersFollow) {
  const auto original = makeTypicalPe();
  auto file = original;
  ASSERT_EQ(grow(file, 0x15C00), "");

  PeLayout pe;
  std::string error;
  ASSERT_TRUE(readPeLayout(file.data(), file.size(), pe, error)) << error;
  ASSERT_EQ(pe.sections.size(), 3u);
  const auto& reloc = pe.sections[2];
  EXPECT_EQ(pe.lastSectionInFile(), &reloc);
  EXPECT_EQ(pe.lastSectionEnd(), 0x15C00u);
  EXPECT_EQ(reloc.sizeOfRawData, 0x15C00u - 0xA00u);
  EXPECT_EQ(reloc.virtualSize, reloc.sizeOfRawData);
  EXPECT_EQ(pe.sizeOfImage, 0x19000u);  // 0x3000 + 0x15200, rounded up to the section alignment
  EXPECT_EQ(get32(file, kOptionalHeader + 8), 0x1000u + (0x15C00u - 0xC00u));
  // Other sections untouched.
  EXPECT_EQ(pe.sections[0].sizeOfRawData, 0x400u);
  EXPECT_EQ(pe.sections[1].virtualSize, 0x40u);
  EXPECT_EQ(pe.checkSum, peCheckSum(file.data(), file.size(), pe.checkSumOffset));
  EXPECT_NE(pe.checkSum, 0u);

  // Everything but the patched header fields is the original file, then zeros.
  auto headersCleared = [&](std::vector<unsigned char> f) {
    for (std::size_t at : {kOptionalHeader + 8, kOptionalHeader + 56, pe.checkSumOffset,
                           kSectionTable + 80 + 8, kSectionTable + 80 + 16})
      put32(f, at, 0);
    return f;
  };
  auto grownHead = headersCleared(std::vector<unsigned char>(file.begin(), file.begin() + original.size()));
  EXPECT_EQ(grownHead, headersCleared(original));
  for (std::size_t i = original.size(); i < file.size(); ++i) ASSERT_EQ(file[i], 0) << "at " << i;
}

TEST(PeGrow, AVirtualSizeAlreadyLargerThanTheNewRawSizeIsKept) {
  auto file = makePe({{".text", 0x1000, 0x200, 0x200, 0x400, 0x60000020},
                      {".bigdata", 0x2000, 0x80000, 0x200, 0x600, 0xC0000040}},
                     0x800);
  ASSERT_EQ(grow(file, 0x1000), "");
  PeLayout pe;
  std::string error;
  ASSERT_TRUE(readPeLayout(file.data(), file.size(), pe, error));
  EXPECT_EQ(pe.sections[1].sizeOfRawData, 0xA00u);
  EXPECT_EQ(pe.sections[1].virtualSize, 0x80000u);
  EXPECT_EQ(pe.sizeOfImage, 0x82000u);
}

TEST(PeGrow, RefusesFilesThatCannotBeGrownSafely) {
  struct Case {
    const char* what;
    std::vector<unsigned char> file;
    std::size_t memberLength;
    const char* message;
  };
  std::vector<Case> cases;
  cases.push_back({"larger than its member", makeTypicalPe(), 0xA00, "larger than its member"});
  cases.push_back({"member not a multiple of the file alignment", makeTypicalPe(), 0x15A10, "file alignment"});
  auto notPe = makeTypicalPe();
  notPe[0] = 'X';
  cases.push_back({"no MZ", notPe, 0x15A00, "no MZ"});
  auto noSignature = makeTypicalPe();
  put32(noSignature, 0x3C, 0xFFFFFFF0u);  // e_lfanew far outside the file
  cases.push_back({"e_lfanew outside", noSignature, 0x15A00, "no PE signature"});
  auto x64 = makeTypicalPe();
  put16(x64, 0x44, 0x8664);
  cases.push_back({"not i386", x64, 0x15A00, "32-bit x86"});
  auto symbols = makeTypicalPe();
  put32(symbols, 0x4C, 0xC00);
  cases.push_back({"symbol table", symbols, 0x15A00, "symbol table"});
  auto signedFile = makeTypicalPe();
  put32(signedFile, kOptionalHeader + 96 + 8 * 4 + 4, 0x100);
  cases.push_back({"certificate table", signedFile, 0x15A00, "signed"});
  auto trailing = makeTypicalPe();
  trailing.resize(trailing.size() + 0x200, 0xAB);
  cases.push_back({"data behind the last section", trailing, 0x15A00, "behind its last section"});
  cases.push_back({"last in file is not last in memory",
                   makePe({{".text", 0x1000, 0x200, 0x200, 0x400, 0x60000020},
                           {".late", 0x9000, 0x200, 0x200, 0x600, 0x40},
                           {".rsrc", 0x2000, 0x200, 0x200, 0x800, 0x40}},
                          0xA00),
                   0x15A00, "not its last section in memory"});
  auto manySections = makeTypicalPe();
  put16(manySections, 0x46, 0xFFFF);  // a section table far longer than the file
  cases.push_back({"truncated section table", manySections, 0x15A00, "truncated section table"});
  cases.push_back({"section outside the file",
                   makePe({{".text", 0x1000, 0x200, 0x4000, 0x400, 0x60000020}}, 0x600), 0x15A00,
                   "outside the file"});
  auto tiny = std::vector<unsigned char>{'M', 'Z'};
  cases.push_back({"two bytes", tiny, 0x15A00, "no PE signature"});

  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string error = grow(c.file, c.memberLength);
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

TEST(PeCheckSum, FoldsCarriesSkipsItsOwnFieldAndAddsTheLength) {
  const std::vector<unsigned char> words = {0x01, 0x00, 0x02, 0x00};
  EXPECT_EQ(peCheckSum(words.data(), words.size(), 100), 3u + 4u);
  const std::vector<unsigned char> carry = {0xFF, 0xFF, 0x02, 0x00};
  EXPECT_EQ(peCheckSum(carry.data(), carry.size(), 100), 2u + 4u);  // 0x10001 folds to 2
  const std::vector<unsigned char> field = {0x05, 0x00, 0xAA, 0xBB, 0xCC, 0xDD, 0x07};
  EXPECT_EQ(peCheckSum(field.data(), field.size(), 2), 5u + 7u + 7u);  // odd last byte counts alone
}

}  // namespace
