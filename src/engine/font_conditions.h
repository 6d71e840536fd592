// The font folder's state as the installation judges it: a font is missing
// when FindFirstFileW on its exact path finds nothing. Asked afresh on every
// call, since an earlier step may have changed the folder.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace velkor {

// Another file name under which the FangSong face may already be installed.
inline constexpr char16_t kSimfangAlternative[] = u"simfang_0.ttf";

class FontFolder {
 public:
  FontFolder(FileSystem& fs, std::u16string folder) : fs_(fs), folder_(std::move(folder)) {}

  // The folder path, ending in a backslash.
  const std::u16string& path() const { return folder_; }

  bool missing(const std::u16string& fileName) const;

  // simfang.ttf is missing, or it has a size other than font part 1's and
  // simfang_0.ttf is missing. simfang_0.ttf is looked for only in the second case.
  bool simfangUnusable() const;

 private:
  FileSystem& fs_;
  std::u16string folder_;
};

}  // namespace velkor
