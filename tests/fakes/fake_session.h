// Waiting, logging off and ending the wizard dialog, recorded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fakes/finish_journal.h"
#include "platform/completion_view.h"
#include "platform/session.h"

namespace velkor::fakes {

class FakeSession : public Session {
 public:
  std::vector<std::uint32_t> sleeps;
  int logoffs = 0;
  std::vector<std::u16string>* journal = nullptr;

  void sleep(std::uint32_t milliseconds) override {
    note(journal, u"sleep " + numberText(milliseconds));
    sleeps.push_back(milliseconds);
  }
  bool exitWindows(std::uint32_t flags, std::uint32_t reason) override {
    note(journal, u"exitWindows " + numberText(flags) + u" " + numberText(reason));
    ++logoffs;
    return true;
  }
};

class FakeCompletionView : public CompletionView {
 public:
  std::vector<std::u16string> endings;  // "ok", "end 0", "close", in order
  std::vector<std::u16string>* journal = nullptr;

  void endWithOk() override { record(u"endWithOk"); }
  void endDialog(int result) override { record(u"endDialog " + numberText(result)); }
  void sendCloseCommand() override { record(u"sendCloseCommand"); }

 private:
  void record(const std::u16string& what) {
    endings.push_back(what);
    note(journal, what);
  }
};

}  // namespace velkor::fakes
