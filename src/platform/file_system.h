// Files and folders as the engine uses them: wide paths, stream files opened
// "rb" or "wb+", block reads and writes, find-first existence tests. The Win32
// adapter maps each method to one runtime or kernel call; tests use an
// in-memory fake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace velkor {

// An open file of a FileSystem; the zero value is "no file".
struct FileHandle {
  std::uintptr_t value = 0;
  explicit operator bool() const { return value != 0; }
};

enum class SeekOrigin { Begin, End };

// What a successful FindFirstFileW tells about a path.
struct FindResult {
  std::uint32_t sizeLow = 0;  // nFileSizeLow
  bool isDirectory = false;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // _wfopen "rb": read, binary, shared for reading and writing.
  virtual FileHandle openRead(const std::u16string& path) = 0;
  // "rb" shared for reading only: while it is open, other programs can
  // neither write, rename nor delete the file.
  virtual FileHandle openReadHeld(const std::u16string& path) = 0;
  // _wfopen "wb+": create or truncate, read and write, binary.
  virtual FileHandle openReadWrite(const std::u16string& path) = 0;
  // Moves the position; false when the runtime refuses (a position before 0).
  virtual bool seek(FileHandle file, std::int64_t offset, SeekOrigin origin) = 0;
  // The position, or -1.
  virtual std::int64_t tell(FileHandle file) = 0;
  // Returns how many bytes were read (fewer at the end of the file).
  virtual std::size_t read(FileHandle file, void* buffer, std::size_t count) = 0;
  // Returns how many bytes were written (fewer when the disk is full).
  virtual std::size_t write(FileHandle file, const void* data, std::size_t count) = 0;
  // Flushes and closes; false when buffered bytes could not be written.
  virtual bool close(FileHandle file) = 0;

  virtual bool deleteFile(const std::u16string& path) = 0;
  virtual bool createDirectory(const std::u16string& path) = 0;  // one level, no security attributes
  virtual bool removeDirectory(const std::u16string& path) = 0;  // only when empty
  virtual bool copyFile(const std::u16string& from, const std::u16string& to,
                        bool failIfExists) = 0;
  // FindFirstFileW on an exact path; the search handle is drained and closed.
  virtual std::optional<FindResult> findFirst(const std::u16string& path) = 0;
};

// Closes its file when it goes out of scope, unless closed explicitly first.
class ScopedFile {
 public:
  ScopedFile() = default;
  ScopedFile(FileSystem& fs, FileHandle file) : fs_(&fs), file_(file) {}
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;
  ScopedFile(ScopedFile&& other) noexcept : fs_(other.fs_), file_(other.file_) {
    other.file_ = FileHandle{};
  }
  ScopedFile& operator=(ScopedFile&& other) noexcept {
    if (this != &other) {
      close();
      fs_ = other.fs_;
      file_ = other.file_;
      other.file_ = FileHandle{};
    }
    return *this;
  }
  ~ScopedFile() { close(); }

  FileHandle get() const { return file_; }
  explicit operator bool() const { return static_cast<bool>(file_); }

  // Closes now; returns the close's result (true when nothing was open).
  bool close() {
    if (!file_) return true;
    const FileHandle f = file_;
    file_ = FileHandle{};
    return fs_->close(f);
  }

 private:
  FileSystem* fs_ = nullptr;
  FileHandle file_;
};

}  // namespace velkor
