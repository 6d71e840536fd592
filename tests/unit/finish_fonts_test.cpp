// Font provisioning on a fake machine: the plan of each Windows class for the
// font states that matter to it, the bytes every plan copies against the
// planned byte total, and RegisterFont's registry write.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/first_run_marker.h"
#include "engine/font_step.h"
#include "engine/install_paths.h"
#include "engine/planned_total.h"
#include "unit/engine_support.h"
#include "unit/finish_support.h"

namespace velkor {
namespace {

using testing::FinishMachine;
using testing::kFontDir;
using testing::kInstall;

const std::u16string kBundle = payload::kFontBundle.destination;
const auto& kFangSong = payload::kFontParts[0];
const auto& kPalace = payload::kFontParts[1];
const auto& kYaHei = payload::kFontParts[2];

// The registry port with every createKey and setValue argument kept, so the
// byte count handed to RegSetValueExW can be checked apart from what the
// registry makes of it.
class ArgumentRecorder : public reg::RegistryPort {
 public:
  explicit ArgumentRecorder(reg::RegistryPort& inner) : inner_(inner) {}
  struct Create {
    std::u16string subKey, className;
    std::uint32_t options, access;
  };
  struct Set {
    std::u16string valueName;
    std::uint32_t type;
    std::vector<std::uint8_t> bytes;  // exactly byteCount bytes from data
  };
  std::vector<Create> creates;
  std::vector<Set> sets;

  reg::Status openKey(reg::RegKey p, const char16_t* s, std::uint32_t a, reg::RegKey* r) noexcept override {
    return inner_.openKey(p, s, a, r);
  }
  reg::Status createKey(reg::RegKey p, const char16_t* s, const char16_t* c, std::uint32_t o,
                        std::uint32_t a, reg::RegKey* r, std::uint32_t* d) noexcept override {
    creates.push_back({s ? s : u"", c ? c : u"", o, a});
    return inner_.createKey(p, s, c, o, a, r, d);
  }
  reg::Status queryValue(reg::RegKey k, const char16_t* n, std::uint32_t* t, std::uint8_t* d,
                         std::uint32_t* b) noexcept override {
    return inner_.queryValue(k, n, t, d, b);
  }
  reg::Status setValue(reg::RegKey k, const char16_t* n, std::uint32_t t, const std::uint8_t* d,
                       std::uint32_t b) noexcept override {
    sets.push_back({n ? n : u"", t, std::vector<std::uint8_t>(d, d + b)});
    return inner_.setValue(k, n, t, d, b);
  }
  reg::Status deleteKey(reg::RegKey p, const char16_t* s) noexcept override {
    return inner_.deleteKey(p, s);
  }
  reg::Status closeKey(reg::RegKey k) noexcept override { return inner_.closeKey(k); }

 private:
  reg::RegistryPort& inner_;
};

enum class FangSong { Absent, RightSize, WrongSize };

struct FontState {
  FangSong fangSong;
  bool alternative;  // simfang_0.ttf present
  bool palace;
  bool yaHei;
};

std::vector<FontState> allFontStates() {
  std::vector<FontState> states;
  for (FangSong f : {FangSong::Absent, FangSong::RightSize, FangSong::WrongSize})
    for (bool alt : {false, true})
      for (bool palace : {false, true})
        for (bool yaHei : {false, true}) states.push_back({f, alt, palace, yaHei});
  return states;
}

std::string describe(const FontState& s) {
  const char* f = s.fangSong == FangSong::Absent      ? "absent"
                  : s.fangSong == FangSong::RightSize ? "right size"
                                                      : "wrong size";
  return std::string("simfang ") + f + (s.alternative ? ", simfang_0" : "") +
         (s.palace ? ", PALSCRI" : "") + (s.yaHei ? ", MSYH" : "");
}

// A machine after extraction: the bundle in the install directory and the
// font folder in the given state. Font-folder files hold 0x5A bytes.
// The bundle's bytes, made once: every offset holds a different pattern.
const std::vector<std::uint8_t>& bundleBytes() {
  static const std::vector<std::uint8_t> bytes = testing::payloadBytes(payload::kFontBundle.length, 7);
  return bytes;
}

struct FontMachine : FinishMachine {
  const std::vector<std::uint8_t>& bundle = bundleBytes();
  ProgressMeter progress{window};
  BlockCopier copier{system, window, progress};
  ArgumentRecorder recorder{registry};
  FontStep step{system, system, fonts, recorder, window, state};
  // The held setup file, the bundle somewhere inside it.
  static constexpr std::int64_t kBundleAt = 0x321;
  BundleSource source;

  FontMachine() {
    system.addFile(kBundle, bundle);  // as extracted; the step must not read it
    std::vector<std::uint8_t> setup(kBundleAt, 0xEE);
    setup.insert(setup.end(), bundle.begin(), bundle.end());
    setup.insert(setup.end(), 0x40, 0xEF);
    system.addFile(system.setupPath, std::move(setup));
    source = BundleSource{system.openReadHeld(system.setupPath), kBundleAt};
  }

  void arrange(const FontState& s) {
    if (s.fangSong == FangSong::RightSize) system.addFileOfSize(kFontDir + kFangSong.fileName, kFangSong.length);
    if (s.fangSong == FangSong::WrongSize) system.addFileOfSize(kFontDir + kFangSong.fileName, 1'000);
    if (s.alternative) system.addFileOfSize(kFontDir + u"simfang_0.ttf", kFangSong.length);
    if (s.palace) system.addFileOfSize(kFontDir + kPalace.fileName, kPalace.length);
    if (s.yaHei) system.addFileOfSize(kFontDir + kYaHei.fileName, kYaHei.length);
  }

  // Bytes that went through the copier since the meter began.
  std::uint64_t bytesCopied() const {
    return static_cast<std::uint64_t>(window.stepIts) * kBytesPerStep + progress.counter();
  }

  std::vector<std::uint8_t> part(const payload::FontPart& p) const {
    return std::vector<std::uint8_t>(bundle.begin() + p.offset, bundle.begin() + p.offset + p.length);
  }
  bool holdsPart(const std::u16string& path, const payload::FontPart& p) const {
    const auto* file = system.file(path);
    return file != nullptr && *file == part(p);
  }
  std::vector<std::u16string> statusTexts() const { return window.textsOf(ctl::kStatus); }
  std::vector<std::u16string> fontCalls() const { return fonts.calls; }
  std::vector<std::u16string> registeredNames() const {
    return registry.valueNames(reg::kLocalMachine, fonts::kFontsKey);
  }
};

// ---- Every plan copies what the planned byte total counted ------------------

TEST(FontStep, CopiesExactlyThePlannedBytesForEveryStateOfEveryClass) {
  for (VersionClass version : {VersionClass::Xp, VersionClass::Vista, VersionClass::SevenOrLater}) {
    for (const FontState& s : allFontStates()) {
      SCOPED_TRACE(describe(s) + " on class " + std::to_string(static_cast<int>(version)));
      FontMachine m;
      m.arrange(s);
      const FontFolder folder(m.system, kFontDir);
      const std::int64_t planned = plannedByteTotal(version, folder) - std::int64_t{payload::kPayloadSize};
      m.step.run(version, m.copier, m.source);
      EXPECT_EQ(m.bytesCopied(), static_cast<std::uint64_t>(planned));
      EXPECT_EQ(m.system.openFileCount(), 1u) << "every stream closed but the held setup file";
    }
  }
}

TEST(FontStep, OtherVersionsDoNothing) {
  FontMachine m;
  m.journal.clear();
  m.step.run(VersionClass::Other, m.copier, m.source);
  EXPECT_TRUE(m.journal.empty());
}

// ---- 6.x with minor 1 or higher -----------------------------------------------

TEST(SevenFontPlan, BothFontsPresentWritesOnlyTheInstalledCopy) {
  FontMachine m;
  m.arrange({FangSong::RightSize, false, true, true});
  const auto folderBefore = m.system.tree();
  m.step.run(VersionClass::SevenOrLater, m.copier, m.source);

  EXPECT_TRUE(m.holdsPart(kInstall + u"simfang.ttf", kFangSong));
  EXPECT_EQ(m.system.file(kFontDir + kFangSong.fileName)->size(), kFangSong.length);
  EXPECT_EQ(m.system.file(kFontDir + kPalace.fileName)->size(), kPalace.length);
  EXPECT_EQ(m.system.countCalls(u"openReadWrite"), 1u) << "nothing opened in the font folder";
  EXPECT_EQ(m.fontCalls(), (std::vector<std::u16string>{u"add " + kInstall + u"simfang.ttf",
                                                        u"add simfang.ttf"}));
  EXPECT_TRUE(m.statusTexts().empty()) << "the installed copy leaves the status line alone";
  EXPECT_EQ(m.recorder.creates.size(), 0u) << "nothing registered on this class";
  EXPECT_EQ(m.system.countCalls(u"findFirst", kFontDir + u"simfang_0.ttf"), 0u)
      << "a FangSong file of the right size needs no alternative";
}

TEST(SevenFontPlan, AWrongSizedFangSongIsReplacedWhenNoAlternativeExists) {
  FontMachine m;
  m.arrange({FangSong::WrongSize, false, true, true});
  m.step.run(VersionClass::SevenOrLater, m.copier, m.source);
  EXPECT_TRUE(m.holdsPart(kFontDir + kFangSong.fileName, kFangSong));
  EXPECT_EQ(m.statusTexts(), std::vector<std::u16string>{kBundle});
  EXPECT_EQ(m.fonts.loaded(kFontDir + kFangSong.fileName), 1)
      << "only the bare-name addition after the installed copy";
  EXPECT_EQ(m.recorder.creates.size(), 0u);
}

TEST(SevenFontPlan, AWrongSizedFangSongStaysWhenTheAlternativeExists) {
  FontMachine m;
  m.arrange({FangSong::WrongSize, true, true, true});
  m.step.run(VersionClass::SevenOrLater, m.copier, m.source);
  EXPECT_EQ(m.system.file(kFontDir + kFangSong.fileName)->size(), 1'000u);
}

TEST(SevenFontPlan, MissingPalaceScriptIsCopiedFromItsOwnOffsetButNotLoaded) {
  FontMachine m;
  m.arrange({FangSong::RightSize, false, false, true});
  m.step.run(VersionClass::SevenOrLater, m.copier, m.source);
  EXPECT_TRUE(m.holdsPart(kFontDir + kPalace.fileName, kPalace));
  EXPECT_EQ(m.statusTexts(), std::vector<std::u16string>{kInstall + u"PALSCRI.TTF"});
  EXPECT_EQ(m.fonts.loaded(kFontDir + kPalace.fileName), 0);
  EXPECT_EQ(m.recorder.creates.size(), 0u);
}

TEST(SevenFontPlan, BothNeedsCopyFangSongFirstFromTheHeldSetupFile) {
  FontMachine m;
  m.arrange({FangSong::Absent, false, false, true});
  // A changed extracted bundle changes nothing: the parts come from the setup file.
  m.system.addFile(kBundle, std::vector<std::uint8_t>(m.bundle.size(), 0x66));
  m.step.run(VersionClass::SevenOrLater, m.copier, m.source);
  EXPECT_EQ(m.statusTexts(), (std::vector<std::u16string>{kBundle, kInstall + u"PALSCRI.TTF"}));
  EXPECT_TRUE(m.holdsPart(kFontDir + kFangSong.fileName, kFangSong));
  EXPECT_TRUE(m.holdsPart(kFontDir + kPalace.fileName, kPalace));
  EXPECT_EQ(m.system.countCalls(u"openRead"), 0u) << "no other stream is opened";
}

TEST(SevenFontPlan, TwoFontsAddedFromTheInstalledCopyMeansNoCopy) {
  FontMachine m;
  m.arrange({FangSong::RightSize, false, true, true});
  m.system.addFileOfSize(kInstall + u"simfang.ttf", 10);
  m.fonts.setFontsIn(kInstall + u"simfang.ttf", 2);
  m.step.run(VersionClass::SevenOrLater, m.copier, m.source);
  EXPECT_EQ(m.system.file(kInstall + u"simfang.ttf")->size(), 10u);
  EXPECT_EQ(m.bytesCopied(), 0u);
  EXPECT_EQ(m.fontCalls(), std::vector<std::u16string>{u"add " + kInstall + u"simfang.ttf"});
}

TEST(SevenFontPlan, AnUnopenableInstalledCopyIsSkippedAndLaterPartsKeepTheirOffsets) {
  FontMachine m;
  m.arrange({FangSong::RightSize, false, false, true});
  m.system.makeUnwritable(kInstall + u"simfang.ttf");
  m.step.run(VersionClass::SevenOrLater, m.copier, m.source);
  EXPECT_EQ(m.fontCalls(), std::vector<std::u16string>{u"add " + kInstall + u"simfang.ttf"})
      << "nothing to load when nothing was copied";
  EXPECT_TRUE(m.holdsPart(kFontDir + kPalace.fileName, kPalace));
  EXPECT_EQ(m.bytesCopied(), kPalace.length);
}

// ---- 6.0 ----------------------------------------------------------------------

TEST(VistaFontPlan, OnlyPalaceScriptMissingRewritesBothRegistersOneLoadsThree) {
  FontMachine m;
  m.arrange({FangSong::RightSize, false, false, true});
  m.step.run(VersionClass::Vista, m.copier, m.source);

  EXPECT_EQ(m.state.bFirstInstall, 1);
  EXPECT_TRUE(m.holdsPart(kFontDir + kFangSong.fileName, kFangSong));
  EXPECT_TRUE(m.holdsPart(kFontDir + kPalace.fileName, kPalace));
  EXPECT_EQ(m.statusTexts(), (std::vector<std::u16string>{kBundle, kInstall + u"PALSCRI.TTF"}));
  EXPECT_EQ(m.registeredNames(), std::vector<std::u16string>{u"Palace Script MT(TrueType)"});
  EXPECT_EQ(m.fontCalls(), (std::vector<std::u16string>{
                               u"add " + kFontDir + u"PALSCRI.TTF",  // RegisterFont
                               u"add PALSCRI.TTF", u"add simfang.ttf", u"add simsun.ttc"}));
}

TEST(VistaFontPlan, AnUnopenableFangSongStillLeavesPalaceScriptItsBytes) {
  FontMachine m;
  m.arrange({FangSong::RightSize, false, false, true});
  m.system.makeUnwritable(kFontDir + kFangSong.fileName);
  m.step.run(VersionClass::Vista, m.copier, m.source);
  EXPECT_EQ(m.system.file(kFontDir + kFangSong.fileName)->size(), kFangSong.length) << "left alone";
  EXPECT_TRUE(m.holdsPart(kFontDir + kPalace.fileName, kPalace))
      << "51,404 bytes from bundle offset 3,996,872";
}

TEST(VistaFontPlan, AnUnusableFangSongAloneRegistersOnlyFangSong) {
  FontMachine m;
  m.arrange({FangSong::WrongSize, false, true, true});
  m.step.run(VersionClass::Vista, m.copier, m.source);
  EXPECT_EQ(m.state.bFirstInstall, 1);
  EXPECT_EQ(m.registeredNames(), std::vector<std::u16string>{u"仿宋_GB2312(TrueType)"});
  EXPECT_TRUE(m.holdsPart(kFontDir + kPalace.fileName, kPalace)) << "rewritten all the same";
}

TEST(VistaFontPlan, BothNeedsRegisterPalaceScriptFirst) {
  FontMachine m;
  m.arrange({FangSong::Absent, false, false, false});
  m.step.run(VersionClass::Vista, m.copier, m.source);
  ASSERT_EQ(m.recorder.sets.size(), 2u);
  EXPECT_EQ(m.recorder.sets[0].valueName, u"Palace Script MT(TrueType)");
  EXPECT_EQ(m.recorder.sets[1].valueName, u"仿宋_GB2312(TrueType)");
}

TEST(VistaFontPlan, AllFontsPresentDoesNothing) {
  FontMachine m;
  m.arrange({FangSong::RightSize, false, true, false});
  m.step.run(VersionClass::Vista, m.copier, m.source);
  EXPECT_EQ(m.state.bFirstInstall, 0);
  EXPECT_EQ(m.system.countCalls(u"openReadWrite"), 0u) << "nothing copied";
  EXPECT_TRUE(m.fontCalls().empty());
  EXPECT_TRUE(m.recorder.creates.empty());
}

TEST(VistaFontPlan, ABundleThatEndsEarlyLeavesNoTruncatedFont) {
  FontMachine m;
  m.arrange({FangSong::RightSize, false, false, true});
  m.system.truncate(m.system.setupPath, FontMachine::kBundleAt + kPalace.offset + 100);
  m.step.run(VersionClass::Vista, m.copier, m.source);
  EXPECT_TRUE(m.holdsPart(kFontDir + kFangSong.fileName, kFangSong));
  EXPECT_FALSE(m.system.exists(kFontDir + kPalace.fileName));
}

// ---- 5.1 ----------------------------------------------------------------------

TEST(XpFontPlan, OnlyYaHeiMissingPassesAllThreePartsThroughTransitFiles) {
  FontMachine m;
  m.arrange({FangSong::WrongSize, false, true, false});
  m.step.run(VersionClass::Xp, m.copier, m.source);

  EXPECT_EQ(m.statusTexts(), (std::vector<std::u16string>{kInstall + u"Velkar1", kInstall + u"Velkar2",
                                                          kInstall + u"Velkar3"}));
  EXPECT_EQ(m.only({u"openReadWrite", u"copyFile", u"deleteFile"}),
            (std::vector<std::u16string>{
                u"openReadWrite " + kInstall + u"Velkar1",
                u"copyFile " + kInstall + u"Velkar1 -> " + kFontDir + u"simfang.ttf",
                u"deleteFile " + kInstall + u"Velkar1",
                u"openReadWrite " + kInstall + u"Velkar2",
                u"copyFile " + kInstall + u"Velkar2 -> " + kFontDir + u"PALSCRI.TTF",
                u"deleteFile " + kInstall + u"Velkar2",
                u"openReadWrite " + kInstall + u"Velkar3",
                u"copyFile " + kInstall + u"Velkar3 -> " + kFontDir + u"MSYH.TTF",
                u"deleteFile " + kInstall + u"Velkar3",
                u"openReadWrite " + std::u16string(paths::kFirstRunMarker),
                u"deleteFile " + kBundle,
            }));
  EXPECT_TRUE(m.holdsPart(kFontDir + kYaHei.fileName, kYaHei));
  EXPECT_EQ(m.system.file(kFontDir + kFangSong.fileName)->size(), 1'000u) << "never replaced";
  EXPECT_EQ(m.system.file(kFontDir + kPalace.fileName)->size(), kPalace.length);
  for (int n = 1; n <= 3; ++n) EXPECT_FALSE(m.system.exists(fonts::transitFile(n)));
  EXPECT_FALSE(m.system.exists(kBundle));
  const auto* marker = m.system.file(paths::kFirstRunMarker);
  ASSERT_NE(marker, nullptr);
  EXPECT_EQ(marker->size(), 20u);
  EXPECT_TRUE(m.fontCalls().empty()) << "nothing loaded on this class";
  EXPECT_TRUE(m.recorder.creates.empty()) << "nothing registered on this class";
}

TEST(XpFontPlan, AllPresentDoesNothing) {
  FontMachine m;
  m.arrange({FangSong::WrongSize, false, true, true});
  m.journal.clear();
  m.step.run(VersionClass::Xp, m.copier, m.source);
  EXPECT_EQ(m.only({u"openRead", u"copyFile", u"deleteFile"}), std::vector<std::u16string>{});
  EXPECT_TRUE(m.system.exists(kBundle));
  EXPECT_FALSE(m.system.exists(paths::kFirstRunMarker));
}

TEST(XpFontPlan, AnUnopenableTransitFileInstallsNothingForThatPart) {
  FontMachine m;
  m.arrange({FangSong::Absent, false, false, false});
  m.system.makeUnwritable(fonts::transitFile(2));
  m.step.run(VersionClass::Xp, m.copier, m.source);
  EXPECT_TRUE(m.holdsPart(kFontDir + kFangSong.fileName, kFangSong));
  EXPECT_FALSE(m.system.exists(kFontDir + kPalace.fileName));
  EXPECT_TRUE(m.holdsPart(kFontDir + kYaHei.fileName, kYaHei)) << "part 3 read from its own offset";
}

// ---- RegisterFont ---------------------------------------------------------------

TEST(RegisterFont, HandsTheFileNameOverWithoutItsTerminator) {
  FinishMachine m;
  m.system.addFileOfSize(kFontDir + u"PALSCRI.TTF", 100);
  ArgumentRecorder recorder(m.registry);
  FontRegistrar registrar(m.system, m.fonts, recorder, m.window);
  registrar.RegisterFont(u"PALSCRI.TTF", u"Palace Script MT(TrueType)");

  ASSERT_EQ(recorder.creates.size(), 1u);
  EXPECT_EQ(recorder.creates[0].subKey, u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts");
  EXPECT_EQ(recorder.creates[0].className, u"REG_SZ");
  EXPECT_EQ(recorder.creates[0].options, 0u);
  EXPECT_EQ(recorder.creates[0].access, 0x20006u);
  ASSERT_EQ(recorder.sets.size(), 1u);
  EXPECT_EQ(recorder.sets[0].valueName, u"Palace Script MT(TrueType)");
  EXPECT_EQ(recorder.sets[0].type, reg::kSz);
  EXPECT_EQ(recorder.sets[0].bytes, fakes::FakeRegistry::bytesOf(u"PALSCRI.TTF", false));
  EXPECT_EQ(recorder.sets[0].bytes.size(), 22u);
  EXPECT_EQ(m.fonts.loaded(kFontDir + u"PALSCRI.TTF"), 1) << "loaded from the font folder first";
  EXPECT_EQ(m.registry.openHandles(), 0u) << "the key is closed again";
  EXPECT_TRUE(m.window.boxCaptions.empty());
}

TEST(RegisterFont, TheStoredValueReadsBackAsTheFileNameAndASecondCallOverwritesIt) {
  FinishMachine m;
  FontRegistrar registrar(m.system, m.fonts, m.registry, m.window);
  registrar.RegisterFont(u"PALSCRI.TTF", u"Palace Script MT(TrueType)");
  registrar.RegisterFont(u"PALSCRI.TTF", u"Palace Script MT(TrueType)");
  const auto value = m.registry.valueAt(reg::kLocalMachine, fonts::kFontsKey, u"Palace Script MT(TrueType)");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, reg::kSz);
  // The registry counts the terminator that follows the 22 bytes in memory.
  EXPECT_EQ(value->bytes, fakes::FakeRegistry::bytesOf(u"PALSCRI.TTF", true));
  EXPECT_EQ(m.registry.valueNames(reg::kLocalMachine, fonts::kFontsKey).size(), 1u);
}

TEST(RegisterFont, AKeyThatCannotBeCreatedShowsTheBoxAndWritesNothing) {
  FinishMachine m;
  m.registry.failCalls(fakes::FakeRegistry::Op::Create, reg::kAccessDenied);
  FontRegistrar registrar(m.system, m.fonts, m.registry, m.window);
  registrar.RegisterFont(u"simfang.ttf", u"仿宋_GB2312(TrueType)");
  const auto boxes = m.window.eventsOf(fakes::FakeMainWindow::Kind::MessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"失败！");
  EXPECT_EQ(m.window.boxCaptions, std::vector<std::u16string>{u"提示"});
  EXPECT_EQ(boxes[0].a, 0) << "MB_OK";
  EXPECT_FALSE(m.registry.hasKey(reg::kLocalMachine, fonts::kFontsKey));
  EXPECT_EQ(m.only({u"addFontResource"}),
            std::vector<std::u16string>{u"addFontResource " + kFontDir + u"simfang.ttf"});
}

}  // namespace
}  // namespace velkor
