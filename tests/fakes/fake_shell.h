// The shell in memory: special folders by CSIDL, shell-link objects whose
// saved files land on the fake machine (content: the target path), a COM
// pairing count that every link call is checked against, and program starts.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_processes.h"
#include "fakes/fake_system.h"
#include "fakes/finish_journal.h"
#include "platform/shell_execute.h"
#include "platform/shell_links.h"
#include "platform/special_folders.h"

namespace velkor::fakes {

class FakeSpecialFolders : public SpecialFolders {
 public:
  std::map<int, std::u16string> folders = {
      {csidl::kDesktopDirectory, u"C:\\users\\tester\\Desktop"},
      {csidl::kPrograms, u"C:\\users\\tester\\Start Menu\\Programs"},
  };
  std::vector<std::u16string>* journal = nullptr;

  std::optional<std::u16string> specialFolderPath(int folder) override {
    note(journal, u"specialFolderPath " + numberText(folder));
    auto it = folders.find(folder);
    if (it == folders.end()) return std::nullopt;
    return it->second;
  }
};

class FakeShellLinks : public ShellLinks {
 public:
  explicit FakeShellLinks(FakeSystem& files) : files_(files) {}

  // Switches.
  bool failCoInitialize = false;  // CoInitialize answers RPC_E_CHANGED_MODE
  bool failCreate = false;        // CoCreateInstance fails

  std::int32_t coInitialize() override {
    note(journal, u"coInitialize");
    if (failCoInitialize) return hresult::kChangedMode;
    return depth_++ == 0 ? hresult::kOk : hresult::kFalse;
  }
  void coUninitialize() override {
    note(journal, u"coUninitialize");
    if (depth_ == 0) {
      ++unbalancedUninitialize;
      return;
    }
    if (--depth_ == 0) {
      // COM unloads: objects still alive are now dangling.
      for (auto& [id, link] : links_)
        if (link.alive) link.dangling = true;
    }
  }
  ShellLinkHandle createLink() override {
    note(journal, u"createLink");
    if (depth_ == 0 || failCreate) return {};
    const ShellLinkHandle h{next_++};
    links_[h.value] = Link{};
    return h;
  }
  bool setPath(ShellLinkHandle link, const std::u16string& target) override {
    note(journal, u"setPath " + target);
    Link* l = usable(link.value);
    if (!l) return false;
    l->target = target;
    return true;
  }
  PersistFileHandle queryPersistFile(ShellLinkHandle link) override {
    note(journal, u"queryPersistFile");
    if (!usable(link.value)) return {};
    const PersistFileHandle p{next_++};
    persists_[p.value] = link.value;
    return p;
  }
  bool save(PersistFileHandle persist, const std::u16string& path) override {
    note(journal, u"save " + path);
    auto it = persists_.find(persist.value);
    if (it == persists_.end()) {
      ++badCalls;
      return false;
    }
    Link* l = usable(it->second);
    if (!l) return false;
    const auto slash = path.find_last_of(u'\\');
    if (slash == std::u16string::npos || !files_.isDirectory(path.substr(0, slash))) return false;
    std::vector<std::uint8_t> bytes;
    for (char16_t c : l->target) {
      bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
      bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    files_.addFile(path, std::move(bytes));
    return true;
  }
  void release(PersistFileHandle persist) override {
    note(journal, u"release persist");
    if (depth_ == 0) ++callsOutsideCom;
    if (persists_.erase(persist.value) == 0) ++badCalls;
  }
  void release(ShellLinkHandle link) override {
    note(journal, u"release link");
    Link* l = usable(link.value);
    if (l) l->alive = false;
  }

  // The target stored in a saved link file, nothing when there is none.
  std::optional<std::u16string> targetOf(const std::u16string& path) const {
    const auto* bytes = files_.file(path);
    if (!bytes) return std::nullopt;
    std::u16string target;
    for (std::size_t i = 0; i + 1 < bytes->size(); i += 2)
      target.push_back(static_cast<char16_t>((*bytes)[i] | ((*bytes)[i + 1] << 8)));
    return target;
  }

  int comDepth() const { return depth_; }
  std::size_t liveLinks() const {
    std::size_t n = 0;
    for (const auto& [id, link] : links_) n += link.alive;
    return n;
  }
  std::size_t livePersists() const { return persists_.size(); }
  std::size_t createdLinks() const { return links_.size(); }

  // Faults the fake saw: a link call with COM not initialised, a call on a
  // released or dangling object, an unbalanced CoUninitialize.
  int callsOutsideCom = 0;
  int badCalls = 0;
  int unbalancedUninitialize = 0;
  std::vector<std::u16string>* journal = nullptr;

 private:
  struct Link {
    std::u16string target;
    bool alive = true;
    bool dangling = false;
  };

  Link* usable(std::uintptr_t id) {
    if (depth_ == 0) ++callsOutsideCom;
    auto it = links_.find(id);
    if (it == links_.end() || !it->second.alive || it->second.dangling) {
      ++badCalls;
      return nullptr;
    }
    return &it->second;
  }

  FakeSystem& files_;
  int depth_ = 0;
  std::map<std::uintptr_t, Link> links_;
  std::map<std::uintptr_t, std::uintptr_t> persists_;  // persist -> link
  std::uintptr_t next_ = 0x2000;
};

class FakeShellExecutor : public ShellExecutor {
 public:
  explicit FakeShellExecutor(FakeProcesses& processes) : processes_(processes) {}

  std::intptr_t instApp = 42;  // what the call reports; 32 or less is a failure
  std::vector<ShellExecuteRequest> requests;
  std::vector<std::u16string>* journal = nullptr;

  ShellExecuteResult shellExecute(const ShellExecuteRequest& r) override {
    note(journal, u"shellExecute " + r.directory + r.file + u" show " + numberText(r.show) +
                      u" mask " + numberText(r.mask));
    requests.push_back(r);
    ShellExecuteResult result;
    result.instApp = instApp;
    if (instApp > 32) result.process = processes_.start(r.file, (r.mask & kMaskNoCloseProcess) != 0);
    return result;
  }

 private:
  FakeProcesses& processes_;
};

}  // namespace velkor::fakes
