#include <windows.h>

#include <share.h>

#include <cstdio>

#include "platform/win32_system.h"
#include "framework/text.h"

namespace velkor {
namespace {

FILE* stream(FileHandle file) { return reinterpret_cast<FILE*>(file.value); }

FileHandle handleOf(FILE* f) { return FileHandle{reinterpret_cast<std::uintptr_t>(f)}; }

// The engine moves whole blocks of about 100 KB; the runtime's 4 KiB buffer
// would only split each into several system calls and copy the rest twice.
FileHandle unbuffered(FILE* f) {
  if (f != nullptr) std::setvbuf(f, nullptr, _IONBF, 0);
  return handleOf(f);
}

}  // namespace

using win32::wide;

FileHandle Win32System::openRead(const std::u16string& path) {
  return unbuffered(_wfopen(wide(path), L"rb"));
}

FileHandle Win32System::openReadHeld(const std::u16string& path) {
  // Shared for reading alone: no write and no delete sharing, so a rename,
  // delete or write-open by anyone else fails while this stays open.
  return unbuffered(_wfsopen(wide(path), L"rb", _SH_DENYWR));
}

FileHandle Win32System::openReadWrite(const std::u16string& path) {
  return unbuffered(_wfopen(wide(path), L"wb+"));
}

bool Win32System::seek(FileHandle file, std::int64_t offset, SeekOrigin origin) {
  return _fseeki64(stream(file), offset, origin == SeekOrigin::Begin ? SEEK_SET : SEEK_END) == 0;
}

std::int64_t Win32System::tell(FileHandle file) { return _ftelli64(stream(file)); }

std::size_t Win32System::read(FileHandle file, void* buffer, std::size_t count) {
  return std::fread(buffer, 1, count, stream(file));
}

std::size_t Win32System::write(FileHandle file, const void* data, std::size_t count) {
  return std::fwrite(data, 1, count, stream(file));
}

bool Win32System::close(FileHandle file) { return std::fclose(stream(file)) == 0; }

bool Win32System::deleteFile(const std::u16string& path) {
  return DeleteFileW(wide(path)) != FALSE;
}

bool Win32System::createDirectory(const std::u16string& path) {
  return CreateDirectoryW(wide(path), nullptr) != FALSE;
}

bool Win32System::removeDirectory(const std::u16string& path) {
  return RemoveDirectoryW(wide(path)) != FALSE;
}

bool Win32System::copyFile(const std::u16string& from, const std::u16string& to,
                           bool failIfExists) {
  return CopyFileW(wide(from), wide(to), failIfExists ? TRUE : FALSE) != FALSE;
}

std::optional<FindResult> Win32System::findFirst(const std::u16string& path) {
  WIN32_FIND_DATAW data{};
  HANDLE search = FindFirstFileW(wide(path), &data);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  WIN32_FIND_DATAW more{};
  while (FindNextFileW(search, &more)) {
  }
  FindClose(search);
  return FindResult{data.nFileSizeLow, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
}

}  // namespace velkor
