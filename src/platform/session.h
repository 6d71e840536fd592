// The user's session as the finish sees it: waiting on the user-interface
// thread, and logging the user off.
#pragma once

#include <cstdint>

namespace velkor {

inline constexpr std::uint32_t kExitLogoff = 0;  // EWX_LOGOFF
// Major reason "other", minor SHTDN_REASON_MINOR_MAINTENANCE, not planned.
inline constexpr std::uint32_t kLogoffReason = 1;

class Session {
 public:
  virtual ~Session() = default;
  // Sleep(milliseconds): blocks the calling thread.
  virtual void sleep(std::uint32_t milliseconds) = 0;
  // ExitWindowsEx(flags, reason); the log-off follows after the call returns.
  virtual bool exitWindows(std::uint32_t flags, std::uint32_t reason) = 0;
};

}  // namespace velkor
