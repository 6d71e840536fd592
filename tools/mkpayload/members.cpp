#include "members.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "payload/layout.h"
#include "payload_builder.h"

namespace velkor::mkpayload {
namespace {

using payload::kFontBundle;
using payload::kFontParts;
using payload::kMembers;
using payload::Member;
using payload::MemberKind;

std::string bytes(std::uint64_t count) { return std::to_string(count) + " bytes"; }

// The entries of the members folder, read once.
class Folder {
 public:
  explicit Folder(const std::string& path) : path_(path) {
    DIR* d = ::opendir(path.c_str());
    if (d == nullptr) throw InputError("cannot read the members folder " + path + ": " + std::strerror(errno));
    while (const dirent* e = ::readdir(d)) names_.emplace_back(e->d_name);
    ::closedir(d);
    std::sort(names_.begin(), names_.end());  // messages list them in one order
  }

  std::string pathOf(const std::string& entry) const { return path_ + "/" + entry; }

  // The entry for `name`: spelt exactly so, else the only one equal to it
  // without regard to case. When several differ from it only in case, none is
  // taken and `problems` says so.
  std::optional<std::string> find(const std::string& name, std::vector<std::string>& problems) const {
    std::vector<std::string> alike;
    for (const auto& n : names_) {
      if (n == name) return n;
      if (::strcasecmp(n.c_str(), name.c_str()) == 0) alike.push_back(n);
    }
    if (alike.size() == 1) return alike.front();
    if (alike.size() > 1) {
      std::string list;
      for (const auto& n : alike) list += (list.empty() ? "" : ", ") + n;
      problems.push_back(pathOf(name) + ": several files differ from this name only in case (" + list +
                         "); keep one");
      return std::string();  // found, but unusable
    }
    return std::nullopt;
  }

 private:
  std::string path_;
  std::vector<std::string> names_;
};

// Reads `path` whole into `dst` if it is a regular file of exactly `expected`
// bytes; otherwise adds the line that says what it is instead.
bool readExactly(const std::string& path, std::uint32_t expected, unsigned char* dst,
                 std::vector<std::string>& problems) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    problems.push_back(path + ": cannot be opened (" + std::strerror(errno) + "), expected " + bytes(expected));
    return false;
  }
  struct stat st {};
  std::string problem;
  if (::fstat(::fileno(f), &st) != 0 || !S_ISREG(st.st_mode))
    problem = path + ": not a regular file, expected " + bytes(expected);
  else if (static_cast<std::uint64_t>(st.st_size) != expected)
    problem = path + ": " + bytes(static_cast<std::uint64_t>(st.st_size)) + ", expected " + bytes(expected);
  else if (std::fread(dst, 1, expected, f) != expected || std::fgetc(f) != EOF)
    problem = path + ": changed while it was read, expected " + bytes(expected);
  std::fclose(f);
  if (problem.empty()) return true;
  problems.push_back(problem);
  return false;
}

bool beginsWith(const unsigned char* p, const std::uint8_t* magic, std::size_t size) {
  return std::memcmp(p, magic, size) == 0;
}

constexpr std::uint8_t kMz[2] = {'M', 'Z'};

// What is wrong with a member's first bytes for its kind, or nothing.
std::string kindProblem(const Member& m, const unsigned char* p) {
  switch (m.kind) {
    case MemberKind::GuiProgram:
    case MemberKind::ConsoleProgram:
      return beginsWith(p, kMz, sizeof kMz) ? "" : "does not begin with MZ, as a Windows program does";
    case MemberKind::Library:
      return beginsWith(p, kMz, sizeof kMz) ? "" : "does not begin with MZ, as a Windows library does";
    case MemberKind::SkinData:
      return beginsWith(p, payload::kSkinDataMagic, sizeof payload::kSkinDataMagic)
                 ? ""
                 : "does not begin with .SHE (2E 53 48 45), as the skin data file does";
    case MemberKind::FontBundle:
      for (const auto& part : kFontParts)
        if (!beginsWith(p + part.offset, payload::kTrueTypeTag, sizeof payload::kTrueTypeTag))
          return "has no TrueType tag (00 01 00 00) at offset " + std::to_string(part.offset) + ", where its " +
                 narrow(part.fileName) + " begins";
      return "";
  }
  return "";
}

void addMember(const Folder& folder, const Member& m, unsigned char* slice, std::vector<std::string>& problems) {
  const std::string name = narrow(m.fileName);
  const auto entry = folder.find(name, problems);
  if (!entry) {
    problems.push_back(folder.pathOf(name) + ": missing, expected " + bytes(m.length));
    return;
  }
  if (entry->empty()) return;
  const std::string path = folder.pathOf(*entry);
  if (!readExactly(path, m.length, slice, problems)) return;
  const std::string problem = kindProblem(m, slice);
  if (!problem.empty()) problems.push_back(path + ": " + problem);
}

// The bundle as the file it is installed as, or as the three fonts it holds;
// one form only, so that a stale copy of the other is never packed unnoticed.
void addFontBundle(const Folder& folder, unsigned char* bundle, std::vector<std::string>& problems) {
  std::vector<std::string> lookups;  // ambiguous names are reported once, below
  const bool whole = folder.find(narrow(kFontBundle.fileName), lookups).has_value();
  std::string fonts, present;
  for (const auto& part : kFontParts) {
    const std::string name = narrow(part.fileName);
    fonts += (fonts.empty() ? "" : ", ") + name + " " + bytes(part.length);
    if (folder.find(name, lookups)) present += (present.empty() ? "" : ", ") + name;
  }
  if (whole && !present.empty()) {
    problems.push_back(folder.pathOf(narrow(kFontBundle.fileName)) + ": given together with the fonts it bundles (" +
                       present + "); keep one form");
    return;
  }
  if (whole) {
    addMember(folder, kFontBundle, bundle, problems);
    return;
  }
  if (present.empty()) {
    problems.push_back(folder.pathOf(narrow(kFontBundle.fileName)) + ": missing, expected " +
                       bytes(kFontBundle.length) + " (or its three fonts: " + fonts + ")");
    return;
  }
  for (const auto& part : kFontParts) {
    const std::string name = narrow(part.fileName);
    const auto entry = folder.find(name, problems);
    if (!entry) {
      problems.push_back(folder.pathOf(name) + ": missing, expected " + bytes(part.length) + " (font of " +
                         narrow(kFontBundle.fileName) + ")");
      continue;
    }
    if (entry->empty()) continue;
    const std::string path = folder.pathOf(*entry);
    if (readExactly(path, part.length, bundle + part.offset, problems) &&
        !beginsWith(bundle + part.offset, payload::kTrueTypeTag, sizeof payload::kTrueTypeTag))
      problems.push_back(path + ": does not begin with the TrueType tag 00 01 00 00, as a font does");
  }
}

}  // namespace

std::vector<unsigned char> buildPayloadFromMembers(const std::string& dir) {
  const Folder folder(dir);
  std::vector<unsigned char> payload(payload::kPayloadSize, 0);
  std::vector<std::string> problems;
  for (const auto& m : kMembers) {
    unsigned char* slice = payload.data() + payload::offsetInPayload(m);
    if (m.kind == MemberKind::FontBundle)
      addFontBundle(folder, slice, problems);
    else
      addMember(folder, m, slice, problems);
  }
  if (!problems.empty()) {
    std::string message;
    for (const auto& p : problems) message += (message.empty() ? "" : "\n") + p;
    throw InputError(message);
  }
  return payload;
}

void writeMembers(const std::vector<unsigned char>& payload, const std::string& dir) {
  if (payload.size() != payload::kPayloadSize) throw InputError("internal: payload of the wrong size");
  if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
    throw InputError("cannot make the folder " + dir + ": " + std::strerror(errno));
  for (const auto& m : kMembers) {
    const std::string path = dir + "/" + narrow(m.fileName);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) throw InputError("cannot create " + path + ": " + std::strerror(errno));
    const bool written = std::fwrite(payload.data() + payload::offsetInPayload(m), 1, m.length, f) == m.length;
    if (std::fclose(f) != 0 || !written) {
      const std::string why = std::strerror(errno);
      std::remove(path.c_str());
      throw InputError("cannot write " + path + ": " + why);
    }
  }
}

}  // namespace velkor::mkpayload
