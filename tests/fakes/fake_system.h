// An in-memory System for unit tests: files and folders with Windows' rules
// (case-insensitive paths, a parent folder must exist, "wb+" truncates, an
// open file cannot be deleted), a version record, a seal, and a log of every
// call that names a path. Switches make opens, writes and closes fail.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/system.h"

namespace velkor::fakes {

class FakeSystem : public System {
 public:
  struct Node {
    bool directory = false;
    std::vector<std::uint8_t> data;
    bool operator==(const Node& o) const { return directory == o.directory && data == o.data; }
  };
  using Tree = std::map<std::u16string, Node>;  // by folded path

  struct Call {
    std::u16string op;
    std::u16string path;
  };

  // --- Arranging the machine ---------------------------------------------
  void addDirectory(const std::u16string& path) {
    const std::u16string key = fold(path);
    if (key.empty() || isRoot(key)) return;
    addDirectory(parentOf(key));
    nodes_[key].directory = true;
  }
  void addFile(const std::u16string& path, std::vector<std::uint8_t> data) {
    addDirectory(parentOf(fold(path)));
    Node& n = nodes_[fold(path)];
    n.directory = false;
    n.data = std::move(data);
  }
  void addFileOfSize(const std::u16string& path, std::size_t size) {
    addFile(path, std::vector<std::uint8_t>(size, 0x5A));
  }

  // Opening this path for writing fails, as for a program that is running.
  void makeUnwritable(const std::u16string& path) { unwritable_.insert(fold(path)); }
  // Holding this path fails, as when another program has it open for writing.
  void makeUnholdable(const std::u16string& path) { unholdable_.insert(fold(path)); }
  // Whether a file is open on this path by openReadHeld.
  bool held(const std::u16string& path) const { return isHeld(fold(path)); }
  // Writes beyond this many more bytes (all files together) are cut short.
  void limitDiskSpace(std::uint64_t bytes) { diskSpace_ = bytes; }
  // Cuts a file short, as another program might while it is open.
  void truncate(const std::u16string& path, std::size_t size) {
    auto it = nodes_.find(fold(path));
    if (it != nodes_.end() && it->second.data.size() > size) it->second.data.resize(size);
  }
  // Closing a file open on this path reports failure (its buffered bytes are lost).
  void failCloseOf(const std::u16string& path) { closeFails_.insert(fold(path)); }

  // --- Inspecting it -----------------------------------------------------
  bool exists(const std::u16string& path) const { return nodes_.count(fold(path)) != 0; }
  bool isDirectory(const std::u16string& path) const {
    auto it = nodes_.find(fold(path));
    return it != nodes_.end() && it->second.directory;
  }
  const std::vector<std::uint8_t>* file(const std::u16string& path) const {
    auto it = nodes_.find(fold(path));
    return it == nodes_.end() || it->second.directory ? nullptr : &it->second.data;
  }
  const Tree& tree() const { return nodes_; }
  std::size_t openFileCount() const { return open_.size(); }
  std::uint64_t bytesWritten() const { return bytesWritten_; }
  const std::vector<Call>& calls() const { return calls_; }
  std::size_t countCalls(const std::u16string& op) const {
    return static_cast<std::size_t>(
        std::count_if(calls_.begin(), calls_.end(), [&](const Call& c) { return c.op == op; }));
  }
  std::size_t countCalls(const std::u16string& op, const std::u16string& path) const {
    return static_cast<std::size_t>(std::count_if(calls_.begin(), calls_.end(), [&](const Call& c) {
      return c.op == op && fold(c.path) == fold(path);
    }));
  }
  // Every logged call is also appended here as "op path", shared with other fakes.
  std::vector<std::u16string>* journal = nullptr;

  // --- SystemInfo ---------------------------------------------------------
  std::u16string windowsDir = u"C:\\windows";
  VersionRecord version{6, 1, 7601, 2};
  std::optional<std::uint32_t> serial = 0x1234ABCDu;
  std::u16string setupPath = u"C:\\Downloads\\Velkorsetup.exe";
  std::optional<seal::PayloadSeal> seal;

  std::u16string windowsDirectory() override { return windowsDir; }
  VersionRecord versionRecord() override {
    log(u"versionRecord", u"");
    return version;
  }
  std::optional<std::uint32_t> volumeSerial(const std::u16string& root) override {
    log(u"volumeSerial", root);
    return serial;
  }
  std::u16string modulePath() override { return setupPath; }
  std::optional<seal::PayloadSeal> payloadSeal() override { return seal; }

  // --- ShellNotify --------------------------------------------------------
  void notifyAssociationsChanged() override { log(u"notifyAssociationsChanged", u""); }

  // --- FileSystem ---------------------------------------------------------
  FileHandle openRead(const std::u16string& path) override {
    log(u"openRead", path);
    auto it = nodes_.find(fold(path));
    if (it == nodes_.end() || it->second.directory) return {};
    return addOpen(path, false);
  }
  FileHandle openReadHeld(const std::u16string& path) override {
    log(u"openReadHeld", path);
    const std::u16string key = fold(path);
    auto it = nodes_.find(key);
    if (it == nodes_.end() || it->second.directory || unholdable_.count(key) || isOpenForWriting(key)) return {};
    return addOpen(path, false, true);
  }
  FileHandle openReadWrite(const std::u16string& path) override {
    log(u"openReadWrite", path);
    const std::u16string key = fold(path);
    if (unwritable_.count(key) || !parentExists(key) || isHeld(key)) return {};
    auto it = nodes_.find(key);
    if (it != nodes_.end() && it->second.directory) return {};
    Node& n = nodes_[key];
    n.data.clear();
    return addOpen(path, true);
  }
  bool seek(FileHandle f, std::int64_t offset, SeekOrigin origin) override {
    OpenFile* o = find(f);
    if (o == nullptr) return false;
    const std::int64_t base =
        origin == SeekOrigin::Begin ? 0 : static_cast<std::int64_t>(nodes_[o->key].data.size());
    if (base + offset < 0) return false;
    o->pos = base + offset;
    return true;
  }
  std::int64_t tell(FileHandle f) override {
    OpenFile* o = find(f);
    return o == nullptr ? -1 : o->pos;
  }
  std::size_t read(FileHandle f, void* buffer, std::size_t count) override {
    OpenFile* o = find(f);
    if (o == nullptr) return 0;
    const auto& data = nodes_[o->key].data;
    if (o->pos >= static_cast<std::int64_t>(data.size())) return 0;
    const std::size_t n = std::min(count, data.size() - static_cast<std::size_t>(o->pos));
    std::memcpy(buffer, data.data() + o->pos, n);
    o->pos += static_cast<std::int64_t>(n);
    return n;
  }
  std::size_t write(FileHandle f, const void* bytes, std::size_t count) override {
    OpenFile* o = find(f);
    if (o == nullptr || !o->writable) return 0;
    std::size_t n = count;
    if (diskSpace_) {
      n = static_cast<std::size_t>(std::min<std::uint64_t>(n, *diskSpace_));
      *diskSpace_ -= n;
    }
    auto& data = nodes_[o->key].data;
    if (data.size() < static_cast<std::size_t>(o->pos) + n) data.resize(o->pos + n);
    std::memcpy(data.data() + o->pos, bytes, n);
    o->pos += static_cast<std::int64_t>(n);
    bytesWritten_ += n;
    return n;
  }
  bool close(FileHandle f) override {
    auto it = open_.find(f.value);
    log(u"close", it == open_.end() ? u"" : it->second.path);
    if (it == open_.end()) return false;
    const bool ok = !closeFails_.count(it->second.key);
    open_.erase(it);
    return ok;
  }
  bool deleteFile(const std::u16string& path) override {
    log(u"deleteFile", path);
    const std::u16string key = fold(path);
    auto it = nodes_.find(key);
    if (it == nodes_.end() || it->second.directory || isOpen(key)) return false;
    nodes_.erase(it);
    return true;
  }
  bool createDirectory(const std::u16string& path) override {
    log(u"createDirectory", path);
    const std::u16string key = fold(path);
    if (key.empty() || isRoot(key) || nodes_.count(key) || !parentExists(key)) return false;
    nodes_[key].directory = true;
    return true;
  }
  bool removeDirectory(const std::u16string& path) override {
    log(u"removeDirectory", path);
    const std::u16string key = fold(path);
    auto it = nodes_.find(key);
    if (it == nodes_.end() || !it->second.directory) return false;
    for (const auto& [k, n] : nodes_)
      if (parentOf(k) == key) return false;
    nodes_.erase(it);
    return true;
  }
  bool copyFile(const std::u16string& from, const std::u16string& to, bool failIfExists) override {
    log(u"copyFile", from + u" -> " + to);
    auto src = nodes_.find(fold(from));
    const std::u16string dst = fold(to);
    if (src == nodes_.end() || src->second.directory || !parentExists(dst)) return false;
    auto existing = nodes_.find(dst);
    if (existing != nodes_.end() && (failIfExists || existing->second.directory)) return false;
    if (unwritable_.count(dst)) return false;
    Node copy = src->second;
    nodes_[dst] = std::move(copy);
    return true;
  }
  std::optional<FindResult> findFirst(const std::u16string& path) override {
    log(u"findFirst", path);
    auto it = nodes_.find(fold(path));
    if (it == nodes_.end()) return std::nullopt;
    return FindResult{static_cast<std::uint32_t>(it->second.data.size()), it->second.directory};
  }

  // Paths compare without case (ASCII letters) and without a trailing backslash.
  static std::u16string fold(const std::u16string& path) {
    std::u16string out = path;
    for (auto& c : out)
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    while (out.size() > 2 && (out.back() == u'\\' || out.back() == u'/')) out.pop_back();
    return out;
  }

 private:
  struct OpenFile {
    std::u16string key;
    std::u16string path;  // as opened, for the log
    std::int64_t pos = 0;
    bool writable = false;
    bool held = false;  // others may neither write nor delete it
  };

  static bool isRoot(const std::u16string& key) {
    return key.size() <= 3 && key.size() >= 2 && key[1] == u':';
  }
  static std::u16string parentOf(const std::u16string& key) {
    const auto slash = key.find_last_of(u"\\/");
    return slash == std::u16string::npos ? std::u16string() : key.substr(0, slash);
  }
  bool parentExists(const std::u16string& key) const {
    const std::u16string parent = parentOf(key);
    if (parent.empty() || isRoot(parent)) return true;
    auto it = nodes_.find(parent);
    return it != nodes_.end() && it->second.directory;
  }
  bool isOpen(const std::u16string& key) const {
    return std::any_of(open_.begin(), open_.end(), [&](const auto& o) { return o.second.key == key; });
  }
  bool isHeld(const std::u16string& key) const {
    return std::any_of(open_.begin(), open_.end(),
                       [&](const auto& o) { return o.second.key == key && o.second.held; });
  }
  bool isOpenForWriting(const std::u16string& key) const {
    return std::any_of(open_.begin(), open_.end(),
                       [&](const auto& o) { return o.second.key == key && o.second.writable; });
  }
  FileHandle addOpen(const std::u16string& path, bool writable, bool held = false) {
    const std::uintptr_t id = nextHandle_++;
    open_[id] = OpenFile{fold(path), path, 0, writable, held};
    return FileHandle{id};
  }
  OpenFile* find(FileHandle f) {
    auto it = open_.find(f.value);
    return it == open_.end() ? nullptr : &it->second;
  }
  void log(const std::u16string& op, const std::u16string& path) {
    calls_.push_back({op, path});
    if (journal) journal->push_back(path.empty() ? op : op + u" " + path);
  }

  Tree nodes_;
  std::map<std::uintptr_t, OpenFile> open_;
  std::uintptr_t nextHandle_ = 1;
  std::set<std::u16string> unwritable_;
  std::set<std::u16string> closeFails_;
  std::set<std::u16string> unholdable_;
  std::optional<std::uint64_t> diskSpace_;
  std::vector<Call> calls_;
  std::uint64_t bytesWritten_ = 0;
};

}  // namespace velkor::fakes
