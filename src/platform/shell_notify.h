// Telling the shell that something it caches changed.
#pragma once

namespace velkor {

class ShellNotify {
 public:
  virtual ~ShellNotify() = default;
  // SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, null, null): file types
  // and their commands changed.
  virtual void notifyAssociationsChanged() = 0;
};

}  // namespace velkor
