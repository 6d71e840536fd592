// mkpayload --members: the product's own nine files (or the font bundle as its
// three fonts) become the same payload as any other source; a missing file, a
// wrong length or a wrong kind is refused with one line per problem, exit
// status 1 and no output file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <cstring>
#include <functional>

#include "payload/layout.h"
#include "members.h"
#include "payload_builder.h"
#include "payload_test_files.h"
#include "payload/seal.h"

namespace {

using namespace velkor::payloadtest;
using velkor::mkpayload::narrow;
using namespace velkor::payload;

const std::string kTool = VELKOR_MKPAYLOAD;

const Member& memberOfKind(MemberKind kind) {
  for (const auto& m : kMembers)
    if (m.kind == kind) return m;
  throw std::logic_error("no member of that kind");
}

std::string bytes(std::uint64_t n) { return std::to_string(n) + " bytes"; }

// What follows "mkpayload: error: " on each line of the tool's output.
std::vector<std::string> errorLines(const std::string& output) {
  static const std::string prefix = "mkpayload: error: ";
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < output.size();) {
    std::size_t end = output.find('\n', at);
    if (end == std::string::npos) end = output.size();
    if (output.compare(at, prefix.size(), prefix) == 0)
      lines.push_back(output.substr(at + prefix.size(), end - at - prefix.size()));
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
    ASSERT_EQ(run(quoted(kTool) + " --image " + quoted(image_()) + " --synthetic --out " + quoted(expected_()))
                  .exitCode,
              0);
    resetMembers();
  }

  std::string image_() const { return dir / "image.exe"; }
  std::string members() const { return dir / "members"; }
  std::string expected_() const { return dir / "synthetic.exe"; }
  std::string out() const { return dir / "setup.exe"; }
  std::string in(const std::string& name) const { return members() + "/" + name; }
  std::string in(const Member& m) const { return in(narrow(m.fileName)); }
  std::string in(const FontPart& p) const { return in(narrow(p.fileName)); }

  void resetMembers() const {
    std::system(("rm -rf " + quoted(members())).c_str());
    velkor::mkpayload::writeMembers(velkor::mkpayload::buildSyntheticPayload(), members());
  }

  ToolRun pack(const std::string& folder) const {
    return run(quoted(kTool) + " --image " + quoted(image_()) + " --members " + quoted(folder) + " --out " +
               quoted(out()));
  }
  ToolRun pack() const { return pack(members()); }

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
  expectSameAsSynthetic(pack());
}

TEST_F(Members, FontBundleMayBeGivenAsItsThreeFontsAndNamesInAnyCase) {
  splitFontBundle();
  expectSameAsSynthetic(pack());

  const auto& program = memberOfKind(MemberKind::GuiProgram);
  std::string upper = narrow(program.fileName), lower = narrow(kFontParts[2].fileName);
  for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  ASSERT_NE(upper, narrow(program.fileName));
  ASSERT_NE(lower, narrow(kFontParts[2].fileName));
  ASSERT_EQ(::rename(in(program).c_str(), in(upper).c_str()), 0);
  ASSERT_EQ(::rename(in(kFontParts[2]).c_str(), in(lower).c_str()), 0);
  expectSameAsSynthetic(pack());

  // Beside the exact spelling another one is ignored.
  ASSERT_EQ(::rename(in(upper).c_str(), in(program).c_str()), 0);
  writeAll(in(upper), std::vector<unsigned char>(10, 0));
  expectSameAsSynthetic(pack());
}

TEST_F(Members, EachWrongInputIsRefusedWithItsLine) {
  const auto& gui = memberOfKind(MemberKind::GuiProgram);
  const auto& console = memberOfKind(MemberKind::ConsoleProgram);
  const auto& library = memberOfKind(MemberKind::Library);
  const auto& skin = memberOfKind(MemberKind::SkinData);
  const auto& fangsong = kFontParts[0];
  const auto& palace = kFontParts[1];
  const auto& yahei = kFontParts[2];
  auto resize = [](const std::string& path, std::uint64_t size) {
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0);
  };
  auto flip = [](const std::string& path, std::size_t at) {  // one header byte changed, the length kept
    auto b = readAll(path);
    b.at(at) ^= 0x20;
    writeAll(path, b);
  };
  std::string fonts;
  for (const auto& p : kFontParts) fonts += (fonts.empty() ? "" : ", ") + narrow(p.fileName) + " " + bytes(p.length);
  std::string lowerGui = narrow(gui.fileName), upperGui = lowerGui;
  for (auto& c : lowerGui) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (auto& c : upperGui) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

  struct Case {
    const char* what;
    std::function<void()> prepare;
    std::string line;
  };
  const Case cases[] = {
      {"member missing", [&] { ::unlink(in(console).c_str()); },
       in(console) + ": missing, expected " + bytes(console.length)},
      {"bundle and fonts missing", [&] { ::unlink(in(kFontBundle).c_str()); },
       in(kFontBundle) + ": missing, expected " + bytes(kFontBundle.length) + " (or its three fonts: " + fonts + ")"},
      {"one font missing", [&] { splitFontBundle(); ::unlink(in(palace).c_str()); },
       in(palace) + ": missing, expected " + bytes(palace.length) + " (font of " + narrow(kFontBundle.fileName) +
           ")"},
      {"one byte short", [&] { resize(in(library), library.length - 1); },
       in(library) + ": " + bytes(library.length - 1) + ", expected " + bytes(library.length)},
      {"one byte long", [&] { resize(in(library), library.length + 1); },
       in(library) + ": " + bytes(library.length + 1) + ", expected " + bytes(library.length)},
      {"font of half its length", [&] { splitFontBundle(); resize(in(yahei), yahei.length / 2); },
       in(yahei) + ": " + bytes(yahei.length / 2) + ", expected " + bytes(yahei.length)},
      {"folder in place of a font",
       [&] { splitFontBundle(); ::unlink(in(yahei).c_str()); ::mkdir(in(yahei).c_str(), 0777); },
       in(yahei) + ": not a regular file, expected " + bytes(yahei.length)},
      {"program without MZ", [&] { flip(in(gui), 0); },
       in(gui) + ": does not begin with MZ, as a Windows program does"},
      {"console program without MZ", [&] { flip(in(console), 1); },
       in(console) + ": does not begin with MZ, as a Windows program does"},
      {"library without MZ", [&] { flip(in(library), 0); },
       in(library) + ": does not begin with MZ, as a Windows library does"},
      {"skin data without .SHE", [&] { flip(in(skin), 3); },
       in(skin) + ": does not begin with .SHE (2E 53 48 45), as the skin data file does"},
      {"bundle without its second font's tag", [&] { flip(in(kFontBundle), palace.offset + 1); },
       in(kFontBundle) + ": has no TrueType tag (00 01 00 00) at offset " + std::to_string(palace.offset) +
           ", where its " + narrow(palace.fileName) + " begins"},
      {"font without its tag", [&] { splitFontBundle(); flip(in(fangsong), 1); },
       in(fangsong) + ": does not begin with the TrueType tag 00 01 00 00, as a font does"},
      {"bundle beside one of its fonts",
       [&] {
         const auto bundle = readAll(in(kFontBundle));
         splitFontBundle();
         writeAll(in(kFontBundle), bundle);
         ::unlink(in(fangsong).c_str());
         ::unlink(in(yahei).c_str());
       },
       in(kFontBundle) + ": given together with the fonts it bundles (" + narrow(palace.fileName) +
           "); keep one form"},
      {"two spellings, neither exact",
       [&] {
         ::rename(in(gui).c_str(), in(lowerGui).c_str());
         writeAll(in(upperGui), readAll(in(lowerGui)));
       },
       in(gui) + ": several files differ from this name only in case (" + upperGui + ", " + lowerGui +
           "); keep one"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    resetMembers();
    c.prepare();
    expectRefused(pack(), {c.line});
  }

  const auto r = pack(dir / "nowhere");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("cannot read the members folder " + (dir / "nowhere")), std::string::npos) << r.output;
  EXPECT_FALSE(exists(out()));
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
            (std::vector<std::string>{in(first) + ": missing, expected " + bytes(first.length),
                                      in(skin) + ": " + bytes(skin.length + 5) + ", expected " + bytes(skin.length)}))
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
  const auto r = pack(written);
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_TRUE(readAll(out()) == readAll(dir / "demo.exe"));

  // --write-members makes a folder, never a setup file; one source at a time.
  EXPECT_EQ(run(demo + " --write-members " + quoted(written) + " --out " + quoted(dir / "x.exe")).exitCode, 2);
  EXPECT_EQ(run(quoted(kTool) + " --synthetic --write-members " + quoted(written)).exitCode, 2);
  EXPECT_EQ(run(quoted(kTool) + " --image " + quoted(image_()) + " --synthetic --members " + quoted(members()) +
                " --out " + quoted(out()))
                .exitCode,
            2);
}

}  // namespace
