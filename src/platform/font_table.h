// The system font table: fonts added from a file stay usable until the user
// logs off. Paths may be full or bare file names (the system then looks in its
// font folder).
#pragma once

#include <string>

namespace velkor {

class FontTable {
 public:
  virtual ~FontTable() = default;
  // AddFontResourceW: the number of fonts added, 0 when none.
  virtual int addFontResource(const std::u16string& path) = 0;
  // RemoveFontResourceW: whether one earlier addition was withdrawn.
  virtual bool removeFontResource(const std::u16string& path) = 0;
};

}  // namespace velkor
