// Inputs for the payload tool's tests: minimal PE32 files, scratch folders,
// whole-file reads, and running the built tool as a subprocess.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace velkor::payloadtest {

inline void put16(std::vector<unsigned char>& f, std::size_t at, std::uint16_t v) {
  f[at] = static_cast<unsigned char>(v);
  f[at + 1] = static_cast<unsigned char>(v >> 8);
}
inline void put32(std::vector<unsigned char>& f, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
inline std::uint32_t get32(const std::vector<unsigned char>& f, std::size_t at) {
  return std::uint32_t{f[at]} | std::uint32_t{f[at + 1]} << 8 | std::uint32_t{f[at + 2]} << 16 |
         std::uint32_t{f[at + 3]} << 24;
}

struct TestSection {
  const char* name;
  std::uint32_t virtualAddress, virtualSize, sizeOfRawData, pointerToRawData, characteristics;
};

// Offsets of the PE32 that makePe writes (e_lfanew 0x40).
inline constexpr std::size_t kOptionalHeader = 0x40 + 24;
inline constexpr std::size_t kSectionTable = kOptionalHeader + 224;
inline constexpr std::uint32_t kInitializedData = 0x40;

// A minimal i386 PE32: headers in the first 0x400 bytes, file alignment 0x200,
// section alignment 0x1000, each section's raw data filled with its index + 1.
inline std::vector<unsigned char> makePe(const std::vector<TestSection>& sections, std::size_t fileSize) {
  std::vector<unsigned char> f(fileSize, 0);
  f[0] = 'M';
  f[1] = 'Z';
  put32(f, 0x3C, 0x40);
  f[0x40] = 'P';
  f[0x41] = 'E';
  put16(f, 0x44, 0x014C);
  put16(f, 0x46, static_cast<std::uint16_t>(sections.size()));
  put16(f, 0x54, 224);
  put16(f, 0x56, 0x0102);
  put16(f, kOptionalHeader, 0x010B);
  put32(f, kOptionalHeader + 8, 0x1000);      // SizeOfInitializedData
  put32(f, kOptionalHeader + 32, 0x1000);     // SectionAlignment
  put32(f, kOptionalHeader + 36, 0x200);      // FileAlignment
  put32(f, kOptionalHeader + 60, 0x400);      // SizeOfHeaders
  put32(f, kOptionalHeader + 92, 16);         // NumberOfRvaAndSizes
  std::uint32_t imageEnd = 0x1000;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const TestSection& s = sections[i];
    const std::size_t e = kSectionTable + 40 * i;
    for (int c = 0; c < 8 && s.name[c]; ++c) f[e + c] = static_cast<unsigned char>(s.name[c]);
    put32(f, e + 8, s.virtualSize);
    put32(f, e + 12, s.virtualAddress);
    put32(f, e + 16, s.sizeOfRawData);
    put32(f, e + 20, s.pointerToRawData);
    put32(f, e + 36, s.characteristics);
    for (std::uint32_t b = 0; b < s.sizeOfRawData && s.pointerToRawData + b < fileSize; ++b)
      f[s.pointerToRawData + b] = static_cast<unsigned char>(i + 1);
    imageEnd = std::max(imageEnd, (s.virtualAddress + s.virtualSize + 0xFFF) & ~0xFFFu);
  }
  put32(f, kOptionalHeader + 56, imageEnd);  // SizeOfImage
  return f;
}

// Code, data, relocations: the shape MinGW links.
inline std::vector<unsigned char> makeTypicalPe() {
  return makePe({{".text", 0x1000, 0x300, 0x400, 0x400, 0x60000020},
                 {".data", 0x2000, 0x40, 0x200, 0x800, 0xC0000040},
                 {".reloc", 0x3000, 0x20, 0x200, 0xA00, 0x42000040}},
                0xC00);
}

// Whole setup files are tens of MB: one read, not one call per byte.
inline std::vector<unsigned char> readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::vector<unsigned char> bytes(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) bytes.clear();
  return bytes;
}

inline void writeAll(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

inline std::vector<std::string> listFolder(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    ::closedir(d);
  }
  return names;
}

// A scratch folder, removed with everything in it at the end of the scope.
class ScratchFolder {
 public:
  ScratchFolder() {
    char name[] = "/tmp/velkor-payload-test.XXXXXX";
    path_ = ::mkdtemp(name) ? name : "";
  }
  ~ScratchFolder() {
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct ToolRun {
  int exitCode = -1;
  std::string output;  // stdout and stderr
};

// Runs a shell command line and collects its output and exit code.
inline ToolRun run(const std::string& commandLine) {
  ToolRun r;
  FILE* p = ::popen((commandLine + " 2>&1").c_str(), "r");
  if (p == nullptr) return r;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) r.output.append(buffer, n);
  const int status = ::pclose(p);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

inline std::string quoted(const std::string& s) { return "'" + s + "'"; }

}  // namespace velkor::payloadtest
