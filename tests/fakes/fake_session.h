// Waiting and logging off, recorded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fakes/finish_journal.h"
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

}  // namespace velkor::fakes
