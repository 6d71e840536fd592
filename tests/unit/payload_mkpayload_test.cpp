// mkpayload run as the build runs it, on small inputs: the setup file is the
// image (seal filled) + padding to a multiple of 8 + the payload in exactly the
// member table's layout; bad input fails with a message and leaves no file.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "payload/sha256.h"
#include "payload/layout.h"
#include "payload_builder.h"
#include "payload_test_files.h"
#include "pe_image.h"
#include "payload/seal.h"

namespace {

using namespace velkor::payloadtest;
using namespace velkor::payload;
namespace seal = velkor::seal;

const std::string kTool = VELKOR_MKPAYLOAD;

// An image of `size` bytes with the unfilled seal record at `sealAt`.
std::vector<unsigned char> makeImage(std::size_t size, std::size_t sealAt) {
  std::vector<unsigned char> image(size);
  for (std::size_t i = 0; i < size; ++i) image[i] = static_cast<unsigned char>(i * 7 + 1);
  seal::writeSeal(image.data() + sealAt, seal::PayloadSeal{});
  return image;
}

bool isPeMember(const Member& m) {
  return m.kind == MemberKind::GuiProgram || m.kind == MemberKind::ConsoleProgram || m.kind == MemberKind::Library;
}

class MkPayload : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path().empty());
    ::mkdir(standins().c_str(), 0777);
    ::mkdir(fonts().c_str(), 0777);
    writeAll(image(), makeImage(1001, 300));  // 1001 + payload is not a multiple of 8
    for (auto kind : {MemberKind::GuiProgram, MemberKind::ConsoleProgram, MemberKind::Library})
      writeAll(standin(kind), makeTypicalPe());
    for (const auto& part : kFontParts) {
      std::vector<unsigned char> font(part.length, static_cast<unsigned char>(0x30 + part.number));
      std::memcpy(font.data(), velkor::payload::kTrueTypeTag, 4);
      writeAll(font_(part), font);
    }
  }

  std::string image() const { return dir / "image.exe"; }
  std::string standins() const { return dir / "standins"; }
  std::string fonts() const { return dir / "fonts"; }
  std::string out() const { return dir / "out.exe"; }
  std::string standin(MemberKind kind) const {
    return standins() + "/" + velkor::mkpayload::standinFileName(kind);
  }
  std::string font_(const velkor::payload::FontPart& part) const {
    return fonts() + "/" + velkor::mkpayload::narrow(part.fileName);
  }

  ToolRun demo(const std::string& outPath) const {
    return run(quoted(kTool) + " --image " + quoted(image()) + " --standins " + quoted(standins()) + " --fonts " +
               quoted(fonts()) + " --out " + quoted(outPath));
  }
  ToolRun synthetic(const std::string& imagePath, const std::string& outPath) const {
    return run(quoted(kTool) + " --image " + quoted(imagePath) + " --synthetic --out " + quoted(outPath));
  }

  // A failed run: non-zero exit, a message naming the problem, and no output
  // file or leftover temporary file.
  void expectCleanFailure(const ToolRun& r, const std::string& message, const std::string& outPath) const {
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.output.find("mkpayload: error: "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(message), std::string::npos) << r.output;
    EXPECT_FALSE(exists(outPath));
    for (const auto& name : listFolder(dir.path()))
      EXPECT_EQ(name.find(".tmp"), std::string::npos) << "left behind: " << name;
  }

  ScratchFolder dir;
};

// The payload is the file's tail; what is in front is the image and the padding.
struct SetupFile {
  std::vector<unsigned char> bytes;
  const unsigned char* payload() const { return bytes.data() + bytes.size() - kPayloadSize; }
  const unsigned char* member(const Member& m) const { return bytes.data() + bytes.size() + m.start; }
};

void expectImageSealedAndPadded(const SetupFile& setup, const std::vector<unsigned char>& image) {
  ASSERT_GE(setup.bytes.size(), image.size() + kPayloadSize);
  EXPECT_EQ(setup.bytes.size() % 8, 0u);
  const std::size_t pad = setup.bytes.size() - kPayloadSize - image.size();
  EXPECT_LT(pad, 8u);
  for (std::size_t i = 0; i < pad; ++i) EXPECT_EQ(setup.bytes[image.size() + i], 0) << "pad byte " << i;

  const auto at = seal::findSealRecord(image.data(), image.size());
  ASSERT_TRUE(at);
  const auto sealed = seal::parseSeal(setup.bytes.data() + *at, seal::kSealRecordSize);
  ASSERT_TRUE(sealed);
  EXPECT_EQ(sealed->payloadSize, kPayloadSize);
  EXPECT_EQ(sealed->digest, velkor::sha256(setup.payload(), kPayloadSize));
  // Apart from the seal's two fields the image is copied unchanged.
  std::vector<unsigned char> front(setup.bytes.begin(), setup.bytes.begin() + image.size());
  std::memset(front.data() + *at + seal::kMagicSize, 0, seal::kSealRecordSize - seal::kMagicSize);
  EXPECT_TRUE(front == image);
}

TEST_F(MkPayload, SyntheticSetupHoldsEveryMemberAtItsPlaceWithItsHeader) {
  const auto r = synthetic(image(), out());
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const SetupFile setup{readAll(out())};
  expectImageSealedAndPadded(setup, readAll(image()));
  EXPECT_EQ(setup.bytes.size(), 1001u + 6u + kPayloadSize);

  std::set<std::vector<unsigned char>> beginnings;
  for (const auto& m : kMembers) {
    SCOPED_TRACE(m.number);
    const unsigned char* p = setup.member(m);
    switch (m.kind) {
      case MemberKind::SkinData:
        EXPECT_EQ(std::memcmp(p, "\x2E\x53\x48\x45", 4), 0);
        break;
      case MemberKind::FontBundle:
        for (const auto& part : kFontParts) EXPECT_EQ(std::memcmp(p + part.offset, "\0\1\0\0", 4), 0);
        break;
      default:
        EXPECT_EQ(std::memcmp(p, "MZ", 2), 0);
    }
    // Every byte is the synthetic member's, so an extracted file can be
    // compared with it byte for byte.
    std::vector<unsigned char> expected(m.length);
    velkor::mkpayload::fillSyntheticMember(m, expected.data());
    EXPECT_EQ(std::memcmp(p, expected.data(), m.length), 0);
    beginnings.insert(std::vector<unsigned char>(p + 4, p + 36));
  }
  EXPECT_EQ(beginnings.size(), kMembers.size()) << "two members start with the same bytes";
}

TEST_F(MkPayload, SyntheticPayloadIsTheSameBehindAnyImage) {
  ASSERT_EQ(synthetic(image(), out()).exitCode, 0);
  const std::string otherImage = dir / "other.exe";
  writeAll(otherImage, makeImage(4096, 4000));  // another size, another padding
  const std::string otherOut = dir / "other_out.exe";
  ASSERT_EQ(synthetic(otherImage, otherOut).exitCode, 0);
  const SetupFile a{readAll(out())}, b{readAll(otherOut)};
  ASSERT_EQ(b.bytes.size() % 8, 0u);
  EXPECT_EQ(std::memcmp(a.payload(), b.payload(), kPayloadSize), 0);
  ASSERT_EQ(synthetic(image(), out()).exitCode, 0);
  EXPECT_TRUE(readAll(out()) == a.bytes) << "the same inputs must give the same file";
}

TEST_F(MkPayload, ImageAlreadyAlignedGetsNoPadding) {
  const std::size_t aligned = 8 * 200 - kPayloadSize % 8;  // image + payload is a multiple of 8
  writeAll(image(), makeImage(aligned, 8));
  ASSERT_EQ(synthetic(image(), out()).exitCode, 0);
  EXPECT_EQ(readAll(out()).size(), aligned + kPayloadSize);
}

TEST_F(MkPayload, DemoSetupGrowsStandinsAndCopiesFontsAsGiven) {
  const auto r = demo(out());
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const SetupFile setup{readAll(out())};
  expectImageSealedAndPadded(setup, readAll(image()));

  const auto standinPe = makeTypicalPe();
  for (const auto& m : kMembers) {
    SCOPED_TRACE(m.number);
    const unsigned char* p = setup.member(m);
    if (isPeMember(m)) {
      velkor::pe::PeLayout pe;
      std::string error;
      ASSERT_TRUE(velkor::pe::readPeLayout(p, m.length, pe, error)) << error;
      EXPECT_EQ(pe.lastSectionEnd(), m.length);
      // The stand-in's code and data are there as built.
      EXPECT_EQ(std::memcmp(p + 0x400, standinPe.data() + 0x400, 0x600), 0);
    } else if (m.kind == MemberKind::SkinData) {
      EXPECT_EQ(std::memcmp(p, velkor::payload::kSkinDataMagic, 4), 0);
    }
  }
  const unsigned char* bundle = setup.member(kFontBundle);
  for (const auto& part : kFontParts) {
    SCOPED_TRACE(part.number);
    const auto font = readAll(font_(part));
    EXPECT_EQ(std::memcmp(bundle + part.offset, font.data(), part.length), 0);
  }
}

TEST_F(MkPayload, ListsTheFontPartsOfTheTable) {
  const auto r = run(quoted(kTool) + " --list-font-parts");
  ASSERT_EQ(r.exitCode, 0);
  std::string expected;
  for (const auto& part : kFontParts)
    expected += std::to_string(part.number) + " " + std::to_string(part.length) + " " +
                velkor::mkpayload::narrow(part.fileName) + "\n";
  EXPECT_EQ(r.output, expected);
}

TEST_F(MkPayload, UsageErrorsExitWithTwo) {
  EXPECT_EQ(run(quoted(kTool)).exitCode, 2);
  EXPECT_EQ(run(quoted(kTool) + " --image " + quoted(image()) + " --out " + quoted(out())).exitCode, 2);
  EXPECT_EQ(run(quoted(kTool) + " --image " + quoted(image()) + " --synthetic --fonts x --out " + quoted(out()))
                .exitCode,
            2);
  EXPECT_EQ(run(quoted(kTool) + " --image").exitCode, 2);
  EXPECT_FALSE(exists(out()));
}

TEST_F(MkPayload, BadStandinsFailCleanly) {
  {
    SCOPED_TRACE("missing");
    ::unlink(standin(MemberKind::Library).c_str());
    expectCleanFailure(demo(out()), "library.dll", out());
  }
  {
    SCOPED_TRACE("too big for its member");
    writeAll(standin(MemberKind::Library), makePe({{".text", 0x1000, 0x16000, 0x16000, 0x400, 0x60000020}},
                                                  0x16400));  // more than SkinHu.dll's 88,576 bytes
    expectCleanFailure(demo(out()), "larger than", out());
  }
  {
    SCOPED_TRACE("not a PE file");
    writeAll(standin(MemberKind::Library), std::vector<unsigned char>(0x800, 0x90));
    expectCleanFailure(demo(out()), "not a PE file", out());
  }
}

TEST_F(MkPayload, BadFontsFailCleanly) {
  const auto& palace = kFontParts[1];
  {
    SCOPED_TRACE("one byte short");
    auto font = readAll(font_(palace));
    font.pop_back();
    writeAll(font_(palace), font);
    expectCleanFailure(demo(out()), std::to_string(palace.length), out());
  }
  {
    SCOPED_TRACE("one byte long");
    writeAll(font_(palace), std::vector<unsigned char>(palace.length + 1, 0));
    expectCleanFailure(demo(out()), "larger than", out());
  }
  {
    SCOPED_TRACE("no TrueType tag");
    writeAll(font_(palace), std::vector<unsigned char>(palace.length, 0));
    expectCleanFailure(demo(out()), "TrueType tag", out());
  }
  {
    SCOPED_TRACE("missing");
    ::unlink(font_(palace).c_str());
    expectCleanFailure(demo(out()), velkor::mkpayload::narrow(palace.fileName), out());
  }
}

TEST_F(MkPayload, ImagesWithoutExactlyOneSealFailCleanly) {
  {
    SCOPED_TRACE("no seal");
    writeAll(image(), std::vector<unsigned char>(5000, 0x56));
    expectCleanFailure(synthetic(image(), out()), "no seal record", out());
  }
  {
    SCOPED_TRACE("two seals");
    auto twice = makeImage(5000, 100);
    seal::writeSeal(twice.data() + 3000, seal::PayloadSeal{});
    writeAll(image(), twice);
    expectCleanFailure(synthetic(image(), out()), "magic 2 times", out());
  }
  {
    SCOPED_TRACE("record cut off");
    auto cut = makeImage(5000, 0);
    cut.erase(cut.begin() + seal::kMagicSize + 4, cut.end());
    writeAll(image(), cut);
    expectCleanFailure(synthetic(image(), out()), "cut off", out());
  }
  {
    SCOPED_TRACE("missing image");
    expectCleanFailure(synthetic(dir / "nothing.exe", out()), "nothing.exe", out());
  }
}

TEST_F(MkPayload, UnwritableOutputFailsCleanly) {
  const std::string inMissingFolder = dir / "no/such/folder/setup.exe";
  expectCleanFailure(synthetic(image(), inMissingFolder), "cannot create", inMissingFolder);

  // An output path that is a folder: the file is written, then cannot take its name.
  const std::string folder = dir / "taken";
  ::mkdir(folder.c_str(), 0777);
  const auto r = synthetic(image(), folder);
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.output.find("cannot write"), std::string::npos) << r.output;
  EXPECT_TRUE(listFolder(folder).empty());
  for (const auto& name : listFolder(dir.path())) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST_F(MkPayload, AFailedRunLeavesAnEarlierSetupFileAsItWas) {
  ASSERT_EQ(demo(out()).exitCode, 0);
  const auto before = readAll(out());
  ::unlink(standin(MemberKind::GuiProgram).c_str());
  EXPECT_NE(demo(out()).exitCode, 0);
  EXPECT_TRUE(readAll(out()) == before);
}

}  // namespace
