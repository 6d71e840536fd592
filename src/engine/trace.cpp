#include "engine/trace.h"

#include <mutex>
#include <utility>

namespace velkor::trace {
namespace {

// Picture-control workers trace too, so the sink is guarded.
std::mutex& sinkLock() {
  static std::mutex lock;
  return lock;
}

Sink& currentSink() {
  static Sink sink;
  return sink;
}

}  // namespace

Sink setSink(Sink sink) {
  std::lock_guard<std::mutex> guard(sinkLock());
  return std::exchange(currentSink(), std::move(sink));
}

void emit(std::u16string_view text) noexcept {
  try {
    std::lock_guard<std::mutex> guard(sinkLock());
    if (currentSink()) currentSink()(text);
  } catch (...) {
    // A diagnostic that cannot be delivered is dropped; the operation goes on.
  }
}

std::u16string asLine(std::u16string_view text) {
  std::u16string line(text);
  if (line.empty() || line.back() != u'\n') line += u'\n';
  return line;
}

}  // namespace velkor::trace
