// The System port on Win32: each method is one runtime or kernel call (the
// find-first test drains and closes its handle; the seal is read through the
// resource calls). No logic lives here.
#pragma once

#include "platform/system.h"

namespace velkor {

class Win32System : public System {
 public:
  // FileSystem (win32_file_system.cpp): _wfopen streams and kernel file calls.
  FileHandle openRead(const std::u16string& path) override;
  FileHandle openReadHeld(const std::u16string& path) override;
  FileHandle openReadWrite(const std::u16string& path) override;
  bool seek(FileHandle file, std::int64_t offset, SeekOrigin origin) override;
  std::int64_t tell(FileHandle file) override;
  std::size_t read(FileHandle file, void* buffer, std::size_t count) override;
  std::size_t write(FileHandle file, const void* data, std::size_t count) override;
  bool close(FileHandle file) override;
  bool deleteFile(const std::u16string& path) override;
  bool createDirectory(const std::u16string& path) override;
  bool removeDirectory(const std::u16string& path) override;
  bool copyFile(const std::u16string& from, const std::u16string& to, bool failIfExists) override;
  std::optional<FindResult> findFirst(const std::u16string& path) override;

  // SystemInfo (win32_system_info.cpp).
  std::u16string windowsDirectory() override;
  VersionRecord versionRecord() override;
  std::optional<std::uint32_t> volumeSerial(const std::u16string& root) override;
  std::u16string modulePath() override;
  std::optional<seal::PayloadSeal> payloadSeal() override;

  // ShellNotify (win32_shell_notify.cpp).
  void notifyAssociationsChanged() override;
};

}  // namespace velkor
