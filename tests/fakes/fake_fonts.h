// The system font table in memory, as Wine measures it: an addition of an
// existing font file adds its fonts (1 unless told otherwise) and counts per
// call, a missing file adds 0; a removal withdraws one earlier addition. Bare
// file names are looked for in the font folder. Every call is logged.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "fakes/fake_system.h"
#include "fakes/finish_journal.h"
#include "platform/font_table.h"

namespace velkor::fakes {

class FakeFontTable : public FontTable {
 public:
  explicit FakeFontTable(FakeSystem& files) : files_(files) {}

  int addFontResource(const std::u16string& path) override {
    note(journal, u"addFontResource " + path);
    calls.push_back(u"add " + path);
    const std::u16string key = FakeSystem::fold(resolve(path));
    if (!files_.file(key)) return 0;
    auto count = fontsPerFile.find(key);
    const int fonts = count == fontsPerFile.end() ? 1 : count->second;
    if (fonts > 0) ++additions_[key];
    return fonts;
  }

  bool removeFontResource(const std::u16string& path) override {
    note(journal, u"removeFontResource " + path);
    calls.push_back(u"remove " + path);
    auto it = additions_.find(FakeSystem::fold(resolve(path)));
    if (it == additions_.end() || it->second == 0) return false;
    --it->second;
    return true;
  }

  // Additions still in force for a file.
  int loaded(const std::u16string& path) const {
    auto it = additions_.find(FakeSystem::fold(resolve(path)));
    return it == additions_.end() ? 0 : it->second;
  }

  // How many fonts a file holds (by path, as folded by FakeSystem).
  std::map<std::u16string, int> fontsPerFile;
  void setFontsIn(const std::u16string& path, int fonts) {
    fontsPerFile[FakeSystem::fold(path)] = fonts;
  }
  std::u16string fontFolder = u"C:\\windows\\Fonts\\";
  std::vector<std::u16string> calls;
  std::vector<std::u16string>* journal = nullptr;

 private:
  std::u16string resolve(const std::u16string& path) const {
    return path.find(u'\\') == std::u16string::npos ? fontFolder + path : path;
  }

  FakeSystem& files_;
  std::map<std::u16string, int> additions_;
};

}  // namespace velkor::fakes
