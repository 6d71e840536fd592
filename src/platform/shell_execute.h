// Starting a program through the shell (ShellExecuteExW).
#pragma once

#include <cstdint>
#include <string>

#include "platform/processes.h"

namespace velkor {

// Show states and mask bits the engine passes.
namespace show {
inline constexpr int kShow = 5;      // SW_SHOW
inline constexpr int kMinimize = 6;  // SW_MINIMIZE
}  // namespace show
inline constexpr std::uint32_t kMaskNoCloseProcess = 0x40;  // SEE_MASK_NOCLOSEPROCESS

// The request record: default verb, no owner window.
struct ShellExecuteRequest {
  std::uint32_t mask = 0;
  std::u16string file;
  std::u16string parameters;
  std::u16string directory;
  int show = show::kShow;
};

struct ShellExecuteResult {
  std::intptr_t instApp = 0;  // greater than 32 on success
  ProcessHandle process;      // with kMaskNoCloseProcess: the started process, to be closed
};

class ShellExecutor {
 public:
  virtual ~ShellExecutor() = default;
  // ShellExecuteExW with the request.
  virtual ShellExecuteResult shellExecute(const ShellExecuteRequest& request) = 0;
};

}  // namespace velkor
