// What every FileSystem must do, checked the same way against the in-memory
// fake (unit tests) and the Win32 adapter (under Wine), so the fake stays true
// to the system. `root` is an existing, empty folder the checks may fill.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace velkor::contract {

inline std::vector<std::uint8_t> bytesOf(const char* text) {
  std::vector<std::uint8_t> out;
  for (; *text; ++text) out.push_back(static_cast<std::uint8_t>(*text));
  return out;
}

inline void writeWhole(FileSystem& fs, const std::u16string& path, const std::vector<std::uint8_t>& data) {
  ScopedFile f(fs, fs.openReadWrite(path));
  ASSERT_TRUE(f);
  ASSERT_EQ(fs.write(f.get(), data.data(), data.size()), data.size());
  ASSERT_TRUE(f.close());
}

inline std::vector<std::uint8_t> readWhole(FileSystem& fs, const std::u16string& path) {
  std::vector<std::uint8_t> out;
  ScopedFile f(fs, fs.openRead(path));
  if (!f) return out;
  std::uint8_t block[7];
  for (std::size_t got; (got = fs.read(f.get(), block, sizeof block)) > 0;)
    out.insert(out.end(), block, block + got);
  return out;
}

inline void streamsReadWriteSeekAndTell(FileSystem& fs, const std::u16string& root) {
  const std::u16string path = root + u"\\stream.bin";
  writeWhole(fs, path, bytesOf("0123456789abcdef"));
  EXPECT_EQ(readWhole(fs, path), bytesOf("0123456789abcdef"));

  ScopedFile f(fs, fs.openRead(path));
  ASSERT_TRUE(f);
  ASSERT_TRUE(fs.seek(f.get(), 0, SeekOrigin::End));
  EXPECT_EQ(fs.tell(f.get()), 16);
  ASSERT_TRUE(fs.seek(f.get(), -6, SeekOrigin::End));
  std::uint8_t got[8] = {};
  EXPECT_EQ(fs.read(f.get(), got, 8), 6u) << "a read at the end returns what there is";
  EXPECT_EQ(std::vector<std::uint8_t>(got, got + 6), bytesOf("abcdef"));
  EXPECT_EQ(fs.read(f.get(), got, 8), 0u);
  EXPECT_FALSE(fs.seek(f.get(), -17, SeekOrigin::End)) << "no position before the start";
  ASSERT_TRUE(fs.seek(f.get(), 3, SeekOrigin::Begin));
  EXPECT_EQ(fs.tell(f.get()), 3);
  EXPECT_TRUE(f.close());

  writeWhole(fs, path, bytesOf("xy"));
  EXPECT_EQ(readWhole(fs, path), bytesOf("xy")) << "\"wb+\" truncates";

  ScopedFile both(fs, fs.openReadWrite(path));
  ASSERT_TRUE(both);
  ASSERT_EQ(fs.write(both.get(), "hello", 5), 5u);
  ASSERT_TRUE(fs.seek(both.get(), 1, SeekOrigin::Begin));
  std::uint8_t back[4] = {};
  EXPECT_EQ(fs.read(both.get(), back, 4), 4u) << "\"wb+\" reads too";
  EXPECT_EQ(std::vector<std::uint8_t>(back, back + 4), bytesOf("ello"));
  EXPECT_TRUE(both.close());

  // (What the close says after such a refused write differs between runtimes.)
  ScopedFile reading(fs, fs.openRead(path));
  ASSERT_TRUE(reading);
  EXPECT_EQ(fs.write(reading.get(), "x", 1), 0u) << "a stream opened for reading takes no bytes";
  reading.close();
  EXPECT_EQ(readWhole(fs, path), bytesOf("hello"));
}

inline void opensFailWhereWindowsRefuses(FileSystem& fs, const std::u16string& root) {
  EXPECT_FALSE(fs.openRead(root + u"\\missing.bin"));
  EXPECT_FALSE(fs.openReadWrite(root + u"\\no-such-folder\\file.bin"));
  ASSERT_TRUE(fs.createDirectory(root + u"\\folder"));
  EXPECT_FALSE(fs.openReadWrite(root + u"\\folder")) << "a directory is no file";
  EXPECT_FALSE(fs.openRead(root + u"\\folder"));
}

inline void foldersAndFileOperations(FileSystem& fs, const std::u16string& root) {
  const std::u16string dir = root + u"\\Dir";
  EXPECT_TRUE(fs.createDirectory(dir));
  EXPECT_FALSE(fs.createDirectory(dir)) << "already there";
  EXPECT_FALSE(fs.createDirectory(root + u"\\a\\b")) << "one level only";

  writeWhole(fs, dir + u"\\f.txt", bytesOf("abc"));
  EXPECT_FALSE(fs.removeDirectory(dir)) << "not empty";
  {
    ScopedFile open(fs, fs.openRead(dir + u"\\f.txt"));
    ASSERT_TRUE(open);
    EXPECT_FALSE(fs.deleteFile(dir + u"\\f.txt")) << "an open stream does not share deletion";
  }
  EXPECT_TRUE(fs.copyFile(dir + u"\\f.txt", dir + u"\\g.txt", true));
  EXPECT_EQ(readWhole(fs, dir + u"\\g.txt"), bytesOf("abc"));
  writeWhole(fs, dir + u"\\h.txt", bytesOf("zz"));
  EXPECT_FALSE(fs.copyFile(dir + u"\\f.txt", dir + u"\\h.txt", true)) << "fail if exists";
  EXPECT_EQ(readWhole(fs, dir + u"\\h.txt"), bytesOf("zz"));
  EXPECT_TRUE(fs.copyFile(dir + u"\\f.txt", dir + u"\\h.txt", false));
  EXPECT_EQ(readWhole(fs, dir + u"\\h.txt"), bytesOf("abc"));
  EXPECT_FALSE(fs.copyFile(dir + u"\\none.txt", dir + u"\\i.txt", false));

  for (const char16_t* name : {u"\\f.txt", u"\\g.txt", u"\\h.txt"})
    EXPECT_TRUE(fs.deleteFile(dir + name));
  EXPECT_FALSE(fs.deleteFile(dir + u"\\f.txt")) << "already gone";
  EXPECT_FALSE(fs.deleteFile(dir)) << "a directory is no file";
  EXPECT_TRUE(fs.removeDirectory(dir));
  EXPECT_FALSE(fs.removeDirectory(dir));
}

inline void findFirstTellsExistenceAndSize(FileSystem& fs, const std::u16string& root) {
  std::vector<std::uint8_t> data(70'001, 0x42);
  writeWhole(fs, root + u"\\Font.TTF", data);
  const auto found = fs.findFirst(root + u"\\font.ttf");
  ASSERT_TRUE(found) << "found without regard to case";
  EXPECT_EQ(found->sizeLow, 70'001u);
  EXPECT_FALSE(found->isDirectory);
  const auto folder = fs.findFirst(root);
  ASSERT_TRUE(folder);
  EXPECT_TRUE(folder->isDirectory);
  EXPECT_FALSE(fs.findFirst(root + u"\\absent.ttf"));
  EXPECT_TRUE(fs.deleteFile(root + u"\\Font.TTF")) << "the search left no handle open";
}

inline void runFileSystemContract(FileSystem& fs, const std::u16string& root) {
  {
    SCOPED_TRACE("streams");
    streamsReadWriteSeekAndTell(fs, root);
  }
  {
    SCOPED_TRACE("opens");
    opensFailWhereWindowsRefuses(fs, root);
  }
  {
    SCOPED_TRACE("folders and files");
    foldersAndFileOperations(fs, root);
  }
  {
    SCOPED_TRACE("find-first");
    findFirstTellsExistenceAndSize(fs, root);
  }
}

}  // namespace velkor::contract
