#include "engine/extraction.h"

namespace velkor {

ExtractResult extractMember(BlockCopier& copier, MainWindow& view, FileHandle setup,
                            std::int64_t payloadEnd, const payload::Member& member) {
  FileSystem& fs = copier.fileSystem();
  const std::int64_t start = payloadEnd + member.start;
  const bool positioned = start >= 0 && fs.seek(setup, start, SeekOrigin::Begin);
  view.setText(ctl::kStatus, member.destination);

  ScopedFile destination(fs, fs.openReadWrite(member.destination));
  if (!destination) return ExtractResult::DestinationUnopenable;

  CopyResult copied = positioned ? copier.copy(setup, destination.get(), member.length)
                                 : CopyResult::ShortRead;
  // The runtime may hold the last bytes until the close; a close that cannot
  // write them is a failed write like any other.
  if (!destination.close() && copied == CopyResult::Complete) copied = CopyResult::WriteFailed;
  if (copied == CopyResult::Complete) return ExtractResult::Written;
  fs.deleteFile(member.destination);
  return copied == CopyResult::ShortRead ? ExtractResult::ShortRead : ExtractResult::WriteFailed;
}

}  // namespace velkor
