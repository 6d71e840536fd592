// Running processes in memory: a list in snapshot order, handles opened for
// termination, and switches for an open that is refused.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/finish_journal.h"
#include "platform/processes.h"

namespace velkor::fakes {

class FakeProcesses : public Processes {
 public:
  std::vector<ProcessEntry> running;   // in snapshot order
  std::set<std::uint32_t> refuseOpen;  // OpenProcess fails for these
  std::vector<std::uint32_t> terminated;
  std::vector<std::u16string>* journal = nullptr;

  // A process that starts now: it comes last in the next snapshot. With
  // `handle`, returns an open handle to it (as SEE_MASK_NOCLOSEPROCESS does).
  ProcessHandle start(const std::u16string& exeFile, bool handle = false) {
    const std::uint32_t id = nextId_;
    nextId_ += 4;
    running.push_back({exeFile, id});
    return handle ? newHandle(id) : ProcessHandle{};
  }

  std::vector<ProcessEntry> snapshot() override {
    note(journal, u"snapshot");
    return running;
  }
  ProcessHandle openForTerminate(std::uint32_t processId) override {
    note(journal, u"openForTerminate " + numberText(processId));
    const bool exists = std::any_of(running.begin(), running.end(),
                                    [&](const ProcessEntry& e) { return e.processId == processId; });
    if (!exists || refuseOpen.count(processId)) return {};
    return newHandle(processId);
  }
  bool terminate(ProcessHandle process, std::uint32_t exitCode) override {
    auto it = handles_.find(process.value);
    note(journal, u"terminate " + numberText(it == handles_.end() ? 0 : it->second) + u" " +
                      numberText(exitCode));
    if (it == handles_.end()) return false;
    const std::uint32_t id = it->second;
    auto entry = std::find_if(running.begin(), running.end(),
                              [&](const ProcessEntry& e) { return e.processId == id; });
    if (entry == running.end()) return false;
    running.erase(entry);
    terminated.push_back(id);
    return true;
  }
  bool closeHandle(ProcessHandle process) override {
    auto it = handles_.find(process.value);
    note(journal, u"closeHandle " + numberText(it == handles_.end() ? 0 : it->second));
    return handles_.erase(process.value) != 0;
  }

  std::size_t openHandles() const { return handles_.size(); }

 private:
  ProcessHandle newHandle(std::uint32_t id) {
    const ProcessHandle h{nextHandle_};
    nextHandle_ += 4;
    handles_[h.value] = id;
    return h;
  }

  std::map<std::uintptr_t, std::uint32_t> handles_;
  std::uintptr_t nextHandle_ = 0x100;
  std::uint32_t nextId_ = 0x800;
};

}  // namespace velkor::fakes
