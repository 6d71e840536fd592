#include "posix_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace velkor::mkpayload {
namespace {

// Handles are descriptors + 1, so that descriptor 0 is not "no file".
int fd(FileHandle f) { return static_cast<int>(f.value) - 1; }

}  // namespace

std::u16string PosixReadFiles::fromUtf8Bytes(const std::string& path) {
  std::u16string out;
  for (const char c : path) out += static_cast<char16_t>(static_cast<unsigned char>(c));
  return out;
}

FileHandle PosixReadFiles::openRead(const std::u16string& path) {
  std::string bytes;
  for (const char16_t c : path) {
    if (c > 0xFF) return {};
    bytes += static_cast<char>(c);
  }
  const int f = ::open(bytes.c_str(), O_RDONLY | O_CLOEXEC);
  return f < 0 ? FileHandle{} : FileHandle{static_cast<std::uintptr_t>(f) + 1};
}

bool PosixReadFiles::seek(FileHandle file, std::int64_t offset, SeekOrigin origin) {
  return ::lseek(fd(file), static_cast<off_t>(offset), origin == SeekOrigin::Begin ? SEEK_SET : SEEK_END) >= 0;
}

std::int64_t PosixReadFiles::tell(FileHandle file) {
  return static_cast<std::int64_t>(::lseek(fd(file), 0, SEEK_CUR));
}

std::size_t PosixReadFiles::read(FileHandle file, void* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(fd(file), static_cast<char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

bool PosixReadFiles::close(FileHandle file) { return ::close(fd(file)) == 0; }

}  // namespace velkor::mkpayload
