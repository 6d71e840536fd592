// Libraries in memory: a library loads when its file exists on the fake
// machine; handles are counted so a test can tell that each load was freed.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_system.h"
#include "fakes/finish_journal.h"
#include "platform/libraries.h"

namespace velkor::fakes {

class FakeLibraries : public Libraries {
 public:
  explicit FakeLibraries(FakeSystem& files) : files_(files) {}

  LibraryHandle loadLibrary(const std::u16string& path) override {
    note(journal, u"loadLibrary " + path);
    if (!files_.file(path)) return {};
    const LibraryHandle handle{next_++};
    loaded_[handle.value] = path;
    return handle;
  }
  bool findEntryPoint(LibraryHandle library, const char* name) override {
    std::u16string wide;
    for (const char* c = name; *c; ++c) wide.push_back(static_cast<char16_t>(*c));
    note(journal, u"findEntryPoint " + wide);
    return loaded_.count(library.value) != 0 && exports.count(wide) != 0;
  }
  bool freeLibrary(LibraryHandle library) override {
    note(journal, u"freeLibrary");
    return loaded_.erase(library.value) != 0;
  }

  std::size_t loadedCount() const { return loaded_.size(); }
  std::set<std::u16string> exports;  // entry points every library offers
  std::vector<std::u16string>* journal = nullptr;

 private:
  FakeSystem& files_;
  std::map<std::uintptr_t, std::u16string> loaded_;
  std::uintptr_t next_ = 0x10000000;
};

}  // namespace velkor::fakes
