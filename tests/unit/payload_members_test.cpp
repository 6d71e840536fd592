// mkpayload --members: the product's own nine files (or the font bundle as its
// three fonts) become the same payload as any other source; a missing file, a
// wrong length or a wrong kind is refused with one line per problem, exit
// status 1 and no output file.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

#include "engine/payload_layout.h"
#include "members.h"
#include "payload_builder.h"
#include "payload_test_files.h"
#include "platform/payload_seal.h"

namespace {

using namespace velkor::payloadtest;
using velkor::mkpayload::narrow;
using velkor::payload::FontPart;
using velkor::payload::kFontBundle;
using velkor::payload::kFontParts;
using velkor::payload::kMembers;
using velkor::payload::kPayloadSize;
using velkor::payload::Member;
using velkor::payload::MemberKind;

const std::string kTool = VELKOR_MKPAYLOAD;

const Member& memberOfKind(MemberKind kind) {
  for (const auto& m : kMembers)
    if (m.kind == kind) return m;
  throw std::logic_error("no member of that kind");
}

std::vector<unsigned char> syntheticMember(const Member& m) {
  std::vector<unsigned char> bytes(m.length);
  velkor::mkpayload::fillSyntheticMember(m, bytes.data());
  return bytes;
}

std::vector<std::string> errorLines(const std::string& output) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < output.size();) {
    const std::size_t end = output.find('\n', at);
    const std::string line = output.substr(at, end - at);
    if (line.rfind("mkpayload: error: ", 0) == 0) lines.push_back(line.substr(18));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return lines;
}

// A members folder holding the synthetic members under their installed
// names: --members on it must give exactly the --synthetic setup file.
class Members : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path().empty());
    std::vector<unsigned char> image(3001, 0x5E);
    velkor::seal::writeSeal(image.data() + 1000, {});
    writeAll(image_(), image);
    velkor::mkpayload::writeMembers(velkor::mkpayload::buildSyntheticPayload(), members());
    ASSERT_EQ(run(quoted(kTool) + " --image " + quoted(image_()) + " --synthetic --out " + quoted(expected_()))
                  .exitCode,
              0);
  }

  std::string image_() const { return dir / "image.exe"; }
  std::string members() const { return dir / "members"; }
  std::string expected_() const { return dir / "synthetic.exe"; }
  std::string out() const { return dir / "setup.exe"; }
  std::string in(const std::string& name) const { return members() + "/" + name; }
  std::string in(const Member& m) const { return in(narrow(m.fileName)); }
  std::string in(const FontPart& p) const { return in(narrow(p.fileName)); }

  ToolRun pack() const {
    return run(quoted(kTool) + " --image " + quoted(image_()) + " --members " + quoted(members()) + " --out " +
               quoted(out()));
  }

  // The font bundle as its three fonts instead of one file.
  void splitFontBundle() const {
    const auto bundle = readAll(in(kFontBundle));
    ASSERT_EQ(bundle.size(), kFontBundle.length);
    for (const auto& part : kFontParts)
      writeAll(in(part), std::vector<unsigned char>(bundle.begin() + part.offset,
                                                    bundle.begin() + part.offset + part.length));
    ::unlink(in(kFontBundle).c_str());
  }

  void expectSameAsSynthetic(const ToolRun& r) const {
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(readAll(out()) == readAll(expected_()));
  }

  // Refused: status 1, exactly these lines, no setup file, no temporary file.
  void expectRefused(const ToolRun& r, const std::vector<std::string>& lines) const {
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_EQ(errorLines(r.output), lines) << r.output;
    EXPECT_FALSE(exists(out()));
    for (const auto& name : listFolder(dir.path())) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
  }

  ScratchFolder dir;
};

TEST_F(Members, NineFilesGiveTheSetupFileOfTheirBytes) {
  EXPECT_EQ(listFolder(members()).size(), kMembers.size());
  for (const auto& m : kMembers) {
    SCOPED_TRACE(narrow(m.fileName));
    EXPECT_TRUE(readAll(in(m)) == syntheticMember(m));
  }
  expectSameAsSynthetic(pack());
}

TEST_F(Members, FontBundleMayBeGivenAsItsThreeFonts) {
  splitFontBundle();
  expectSameAsSynthetic(pack());
}

TEST_F(Members, NamesMatchWithoutRegardToCase) {
  splitFontBundle();
  const auto& program = memberOfKind(MemberKind::GuiProgram);
  std::string upper = narrow(program.fileName), lower = narrow(kFontParts[2].fileName);
  for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  ASSERT_NE(upper, narrow(program.fileName));
  ASSERT_NE(lower, narrow(kFontParts[2].fileName));
  ASSERT_EQ(::rename(in(program).c_str(), in(upper).c_str()), 0);
  ASSERT_EQ(::rename(in(kFontParts[2]).c_str(), in(lower).c_str()), 0);
  expectSameAsSynthetic(pack());

  // Beside its exact spelling another one is ignored; two other spellings
  // leave no way to choose.
  writeAll(in(narrow(program.fileName)), syntheticMember(program));
  expectSameAsSynthetic(pack());
  ::unlink(in(narrow(program.fileName)).c_str());
  std::string mixed = upper;
  mixed[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(mixed[0])));
  writeAll(in(mixed), syntheticMember(program));
  ::unlink(out().c_str());
  const auto r = pack();
  EXPECT_EQ(r.exitCode, 1);
  const auto lines = errorLines(r.output);
  ASSERT_EQ(lines.size(), 1u) << r.output;
  EXPECT_EQ(lines[0].rfind(in(program) + ": several files differ from this name only in case", 0), 0u) << lines[0];
  EXPECT_FALSE(exists(out()));
}

TEST_F(Members, MissingFilesAreRefused) {
  const auto& console = memberOfKind(MemberKind::ConsoleProgram);
  ::unlink(in(console).c_str());
  expectRefused(pack(), {in(console) + ": missing, expected " + std::to_string(console.length) + " bytes"});

  writeAll(in(console), syntheticMember(console));
  const auto bundle = readAll(in(kFontBundle));
  ::unlink(in(kFontBundle).c_str());
  std::string fonts;
  for (const auto& p : kFontParts)
    fonts += (fonts.empty() ? "" : ", ") + narrow(p.fileName) + " " + std::to_string(p.length) + " bytes";
  expectRefused(pack(), {in(kFontBundle) + ": missing, expected " + std::to_string(kFontBundle.length) +
                         " bytes (or its three fonts: " + fonts + ")"});

  writeAll(in(kFontBundle), bundle);
  splitFontBundle();
  const auto& palace = kFontParts[1];
  ::unlink(in(palace).c_str());
  expectRefused(pack(), {in(palace) + ": missing, expected " + std::to_string(palace.length) + " bytes (font of " +
                         narrow(kFontBundle.fileName) + ")"});

  const auto r = run(quoted(kTool) + " --image " + quoted(image_()) + " --members " + quoted(dir / "nowhere") +
                     " --out " + quoted(out()));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("cannot read the members folder " + (dir / "nowhere")), std::string::npos) << r.output;
  EXPECT_FALSE(exists(out()));
}

TEST_F(Members, WrongLengthsAreRefused) {
  const auto& library = memberOfKind(MemberKind::Library);
  auto bytes = syntheticMember(library);
  bytes.pop_back();
  writeAll(in(library), bytes);
  const std::string expected = ", expected " + std::to_string(library.length) + " bytes";
  expectRefused(pack(), {in(library) + ": " + std::to_string(library.length - 1) + " bytes" + expected});

  bytes.push_back(0);
  bytes.push_back(0);
  writeAll(in(library), bytes);
  expectRefused(pack(), {in(library) + ": " + std::to_string(library.length + 1) + " bytes" + expected});

  writeAll(in(library), syntheticMember(library));
  splitFontBundle();
  const auto& yahei = kFontParts[2];
  auto font = readAll(in(yahei));
  font.resize(font.size() / 2);
  writeAll(in(yahei), font);
  expectRefused(pack(), {in(yahei) + ": " + std::to_string(yahei.length / 2) + " bytes, expected " +
                         std::to_string(yahei.length) + " bytes"});

  ::unlink(in(yahei).c_str());
  ::mkdir(in(yahei).c_str(), 0777);
  expectRefused(pack(), {in(yahei) + ": not a regular file, expected " + std::to_string(yahei.length) + " bytes"});
}

TEST_F(Members, WrongKindsAreRefused) {
  struct Case {
    MemberKind kind;
    std::size_t at;
    std::string line;
  };
  const std::string fontTag = std::to_string(kFontParts[1].offset);
  const Case cases[] = {
      {MemberKind::GuiProgram, 0, "does not begin with MZ, as a Windows program does"},
      {MemberKind::ConsoleProgram, 1, "does not begin with MZ, as a Windows program does"},
      {MemberKind::Library, 0, "does not begin with MZ, as a Windows library does"},
      {MemberKind::SkinData, 3, "does not begin with .SHE (2E 53 48 45), as the skin data file does"},
      {MemberKind::FontBundle, kFontParts[1].offset + 1,
       "has no TrueType tag (00 01 00 00) at offset " + fontTag + ", where its " + narrow(kFontParts[1].fileName) +
           " begins"},
  };
  for (const auto& c : cases) {
    const Member& m = memberOfKind(c.kind);
    SCOPED_TRACE(narrow(m.fileName));
    auto bytes = syntheticMember(m);
    bytes[c.at] ^= 0x20;  // one byte of the header changed, the length kept
    writeAll(in(m), bytes);
    expectRefused(pack(), {in(m) + ": " + c.line});
    writeAll(in(m), syntheticMember(m));
  }

  splitFontBundle();
  const auto& fangsong = kFontParts[0];
  auto font = readAll(in(fangsong));
  font[1] = 0;
  writeAll(in(fangsong), font);
  expectRefused(pack(), {in(fangsong) + ": does not begin with the TrueType tag 00 01 00 00, as a font does"});
}

TEST_F(Members, BundleAndItsFontsTogetherAreRefused) {
  const auto bundle = readAll(in(kFontBundle));
  splitFontBundle();
  writeAll(in(kFontBundle), bundle);
  ::unlink(in(kFontParts[0]).c_str());
  ::unlink(in(kFontParts[2]).c_str());
  expectRefused(pack(), {in(kFontBundle) + ": given together with the fonts it bundles (" +
                         narrow(kFontParts[1].fileName) + "); keep one form"});
}

TEST_F(Members, EveryProblemIsOneLineAndAnEarlierSetupStays) {
  ASSERT_EQ(pack().exitCode, 0);
  const auto before = readAll(out());
  const auto& skin = memberOfKind(MemberKind::SkinData);
  const auto& first = kMembers.front();
  ::unlink(in(first).c_str());
  writeAll(in(skin), std::vector<unsigned char>(skin.length + 5, 0x2E));
  const auto r = pack();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(errorLines(r.output),
            (std::vector<std::string>{in(first) + ": missing, expected " + std::to_string(first.length) + " bytes",
                                      in(skin) + ": " + std::to_string(skin.length + 5) + " bytes, expected " +
                                          std::to_string(skin.length) + " bytes"}))
      << r.output;
  EXPECT_TRUE(readAll(out()) == before);
}

TEST_F(Members, DemoMembersWrittenAsAFolderPackToTheDemoSetup) {
  const std::string standins = dir / "standins", fonts = dir / "fonts", written = dir / "written";
  ::mkdir(standins.c_str(), 0777);
  ::mkdir(fonts.c_str(), 0777);
  for (auto kind : {MemberKind::GuiProgram, MemberKind::ConsoleProgram, MemberKind::Library})
    writeAll(standins + "/" + velkor::mkpayload::standinFileName(kind), makeTypicalPe());
  for (const auto& part : kFontParts) {
    std::vector<unsigned char> font(part.length, static_cast<unsigned char>(part.number));
    std::memcpy(font.data(), velkor::payload::kTrueTypeTag, 4);
    writeAll(fonts + "/" + narrow(part.fileName), font);
  }
  const std::string demo = quoted(kTool) + " --standins " + quoted(standins) + " --fonts " + quoted(fonts);
  const auto w = run(demo + " --write-members " + quoted(written));
  ASSERT_EQ(w.exitCode, 0) << w.output;
  EXPECT_EQ(listFolder(written).size(), kMembers.size());
  ASSERT_EQ(run(demo + " --image " + quoted(image_()) + " --out " + quoted(dir / "demo.exe")).exitCode, 0);
  const auto r = run(quoted(kTool) + " --image " + quoted(image_()) + " --members " + quoted(written) + " --out " +
                     quoted(out()));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_TRUE(readAll(out()) == readAll(dir / "demo.exe"));

  // --write-members makes a folder, never a setup file.
  EXPECT_EQ(run(demo + " --write-members " + quoted(written) + " --out " + quoted(dir / "x.exe")).exitCode, 2);
  EXPECT_EQ(run(quoted(kTool) + " --synthetic --write-members " + quoted(written)).exitCode, 2);
  EXPECT_EQ(run(quoted(kTool) + " --image " + quoted(image_()) + " --synthetic --members " + quoted(members()) +
                " --out " + quoted(out()))
                .exitCode,
            2);
}

}  // namespace
