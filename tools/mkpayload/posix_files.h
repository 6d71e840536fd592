// The engine's FileSystem port over POSIX files, read-only: what the payload
// tool needs to run the wizard's own check of a setup file on Linux. Every
// other operation fails.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace velkor::mkpayload {

class PosixReadFiles final : public FileSystem {
 public:
  // Paths are UTF-16 in the port; the tool hands in UTF-8 paths as bytes
  // widened one to one, and this narrows them back.
  static std::u16string fromUtf8Bytes(const std::string& path);

  FileHandle openRead(const std::u16string& path) override;
  FileHandle openReadHeld(const std::u16string& path) override { return openRead(path); }
  FileHandle openReadWrite(const std::u16string&) override { return {}; }
  bool seek(FileHandle file, std::int64_t offset, SeekOrigin origin) override;
  std::int64_t tell(FileHandle file) override;
  std::size_t read(FileHandle file, void* buffer, std::size_t count) override;
  std::size_t write(FileHandle, const void*, std::size_t) override { return 0; }
  bool close(FileHandle file) override;
  bool deleteFile(const std::u16string&) override { return false; }
  bool createDirectory(const std::u16string&) override { return false; }
  bool removeDirectory(const std::u16string&) override { return false; }
  bool copyFile(const std::u16string&, const std::u16string&, bool) override { return false; }
  std::optional<FindResult> findFirst(const std::u16string&) override { return std::nullopt; }
};

}  // namespace velkor::mkpayload
