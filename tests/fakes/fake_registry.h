// An in-memory registry behind the registry port: a tree of keys whose values
// keep their type and raw bytes, handles with access rights, leaf-only
// delete, failure switches and a log of every call. The contract tests in
// tests/unit/registry_port_contract.h hold it to what the real registry does
// (they run on Wine as well).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "payload/byte_order.h"
#include "platform/registry_port.h"

namespace velkor::fakes {

class FakeRegistry final : public reg::RegistryPort {
 public:
  struct Value {
    std::uint32_t type = reg::kNone;
    std::vector<std::uint8_t> bytes;
    bool operator==(const Value& other) const {
      return type == other.type && bytes == other.bytes;
    }
  };

  enum class Op { Open, Create, Query, Set, Delete, Close };

  struct Call {
    Op op;
    std::u16string path;       // "HKCU\Software\...", the key the call works on
    std::u16string valueName;  // Query and Set; empty for the default value
    std::uint32_t access;      // Open and Create
    reg::Status status;
  };

  FakeRegistry() {
    for (const auto& [root, name] : kRootNames) {
      auto node = std::make_shared<Node>();
      node->name = name;
      roots_[root] = node;
    }
  }

  // ---- RegistryPort ----

  reg::Status openKey(reg::RegKey parent, const char16_t* subKey, std::uint32_t access,
                      reg::RegKey* result) noexcept override {
    std::shared_ptr<Node> base = nodeOf(parent);
    const std::u16string where = base ? join(pathOf(*base), subKey) : u"?";
    if (!base) return log(Op::Open, where, {}, access, reg::kInvalidHandle);
    if (base->deleted) return log(Op::Open, where, {}, access, reg::kKeyDeleted);
    if (auto failure = switchedOff(Op::Open, where)) return log(Op::Open, where, {}, access, *failure);
    if ((subKey == nullptr || *subKey == 0) && isPredefined(parent)) {
      *result = parent;
      return log(Op::Open, where, {}, access, reg::kSuccess);
    }
    std::shared_ptr<Node> node = walk(base, subKey, false, nullptr);
    if (!node) return log(Op::Open, where, {}, access, reg::kFileNotFound);
    *result = newHandle(node, access);
    return log(Op::Open, where, {}, access, reg::kSuccess);
  }

  reg::Status createKey(reg::RegKey parent, const char16_t* subKey, const char16_t* className,
                        std::uint32_t options, std::uint32_t access, reg::RegKey* result,
                        std::uint32_t* disposition) noexcept override {
    (void)className;
    (void)options;
    std::shared_ptr<Node> base = nodeOf(parent);
    const std::u16string where = base ? join(pathOf(*base), subKey) : u"?";
    if (!base) return log(Op::Create, where, {}, access, reg::kInvalidHandle);
    if (base->deleted) return log(Op::Create, where, {}, access, reg::kKeyDeleted);
    if (auto failure = switchedOff(Op::Create, where))
      return log(Op::Create, where, {}, access, *failure);
    // Creation is checked against the key's security, not the parent handle's
    // rights: a read-only parent handle may create subkeys.
    bool created = false;
    std::shared_ptr<Node> node = walk(base, subKey, true, &created);
    *result = newHandle(node, access);
    if (disposition) *disposition = created ? reg::kCreatedNewKey : reg::kOpenedExistingKey;
    return log(Op::Create, where, {}, access, reg::kSuccess);
  }

  reg::Status queryValue(reg::RegKey key, const char16_t* valueName, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* byteCount) noexcept override {
    const std::u16string name = valueName ? valueName : u"";
    std::shared_ptr<Node> node = nodeOf(key);
    const std::u16string where = node ? pathOf(*node) : u"?";
    if (!node) return log(Op::Query, where, name, 0, reg::kInvalidHandle);
    if (node->deleted) return log(Op::Query, where, name, 0, reg::kKeyDeleted);
    if ((accessOf(key) & reg::kKeyQueryValue) == 0)
      return log(Op::Query, where, name, 0, reg::kAccessDenied);
    if (data != nullptr && byteCount == nullptr)
      return log(Op::Query, where, name, 0, reg::kInvalidParameter);
    if (auto failure = switchedOff(Op::Query, where)) return log(Op::Query, where, name, 0, *failure);
    auto found = node->values.find(fold(name));
    if (found == node->values.end()) return log(Op::Query, where, name, 0, reg::kFileNotFound);
    const Value& value = found->second.value;
    const auto size = static_cast<std::uint32_t>(value.bytes.size());
    if (type) *type = value.type;
    if (data != nullptr && *byteCount < size) {
      *byteCount = size;
      return log(Op::Query, where, name, 0, reg::kMoreData);
    }
    if (data != nullptr && size > 0) std::memcpy(data, value.bytes.data(), size);
    if (byteCount) *byteCount = size;
    return log(Op::Query, where, name, 0, reg::kSuccess);
  }

  reg::Status setValue(reg::RegKey key, const char16_t* valueName, std::uint32_t type,
                       const std::uint8_t* data, std::uint32_t byteCount) noexcept override {
    const std::u16string name = valueName ? valueName : u"";
    std::shared_ptr<Node> node = nodeOf(key);
    const std::u16string where = node ? pathOf(*node) : u"?";
    if (!node) return log(Op::Set, where, name, 0, reg::kInvalidHandle);
    if (node->deleted) return log(Op::Set, where, name, 0, reg::kKeyDeleted);
    if ((accessOf(key) & reg::kKeySetValue) == 0)
      return log(Op::Set, where, name, 0, reg::kAccessDenied);
    if (auto failure = switchedOff(Op::Set, where)) return log(Op::Set, where, name, 0, *failure);
    // Like the real registry: a string whose count leaves out a terminator
    // that follows it in memory gets the terminator counted.
    if (data != nullptr && byteCount >= 2 && isStringType(type)) {
      const std::size_t last = (byteCount / 2 - 1) * 2;
      const bool lastIsZero = data[last] == 0 && data[last + 1] == 0;
      const bool nextIsZero = data[byteCount / 2 * 2] == 0 && data[byteCount / 2 * 2 + 1] == 0;
      if (!lastIsZero && nextIsZero) byteCount += 2;
    }
    StoredValue& stored = node->values[fold(name)];
    stored.name = name;
    stored.value.type = type;
    stored.value.bytes.assign(data, data + (data ? byteCount : 0));
    return log(Op::Set, where, name, 0, reg::kSuccess);
  }

  reg::Status deleteKey(reg::RegKey parent, const char16_t* subKey) noexcept override {
    std::shared_ptr<Node> base = nodeOf(parent);
    const std::u16string where = base ? join(pathOf(*base), subKey) : u"?";
    if (!base) return log(Op::Delete, where, {}, 0, reg::kInvalidHandle);
    if (subKey == nullptr) return log(Op::Delete, where, {}, 0, reg::kInvalidParameter);
    if (auto failure = switchedOff(Op::Delete, where))
      return log(Op::Delete, where, {}, 0, *failure);
    std::shared_ptr<Node> node = walk(base, subKey, false, nullptr);
    if (!node) return log(Op::Delete, where, {}, 0, reg::kFileNotFound);
    if (!node->children.empty()) return log(Op::Delete, where, {}, 0, reg::kAccessDenied);
    node->deleted = true;
    node->parent->children.erase(fold(node->name));
    return log(Op::Delete, where, {}, 0, reg::kSuccess);
  }

  reg::Status closeKey(reg::RegKey key) noexcept override {
    if (isPredefined(key)) return log(Op::Close, pathOf(*roots_.at(key)), {}, 0, reg::kSuccess);
    auto found = handles_.find(key);
    if (found == handles_.end()) return log(Op::Close, u"?", {}, 0, reg::kInvalidHandle);
    const std::u16string where = pathOf(*found->second.node);
    if (auto failure = switchedOff(Op::Close, where)) return log(Op::Close, where, {}, 0, *failure);
    handles_.erase(found);
    return log(Op::Close, where, {}, 0, reg::kSuccess);
  }

  // ---- Seeding and inspection, by root and path ("A\B"); no log entries ----

  void putKey(reg::RegKey root, std::u16string_view path) {
    walk(roots_.at(root), std::u16string(path).c_str(), true, nullptr);
  }

  void putValue(reg::RegKey root, std::u16string_view path, const char16_t* name,
                std::uint32_t type, std::vector<std::uint8_t> bytes) {
    auto node = walk(roots_.at(root), std::u16string(path).c_str(), true, nullptr);
    StoredValue& stored = node->values[fold(name ? name : u"")];
    stored.name = name ? name : u"";
    stored.value = {type, std::move(bytes)};
  }

  // A REG_SZ with its terminator, as the product's own programs store it.
  void putString(reg::RegKey root, std::u16string_view path, const char16_t* name,
                 std::u16string_view text) {
    putValue(root, path, name, reg::kSz, bytesOf(text, true));
  }

  bool hasKey(reg::RegKey root, std::u16string_view path) const {
    return walk(roots_.at(root), std::u16string(path).c_str(), false, nullptr) != nullptr;
  }

  std::optional<Value> valueAt(reg::RegKey root, std::u16string_view path,
                               const char16_t* name) const {
    auto node = walk(roots_.at(root), std::u16string(path).c_str(), false, nullptr);
    if (!node) return std::nullopt;
    auto found = node->values.find(fold(name ? name : u""));
    if (found == node->values.end()) return std::nullopt;
    return found->second.value;
  }

  // Names of the values of a key, as stored; empty when the key is missing.
  std::vector<std::u16string> valueNames(reg::RegKey root, std::u16string_view path) const {
    std::vector<std::u16string> names;
    if (auto node = walk(roots_.at(root), std::u16string(path).c_str(), false, nullptr))
      for (const auto& [folded, stored] : node->values) names.push_back(stored.name);
    return names;
  }

  // Every key path under a root that has no subkeys, sorted.
  std::vector<std::u16string> leafKeys(reg::RegKey root) const {
    std::vector<std::u16string> leaves;
    collectLeaves(*roots_.at(root), u"", leaves);
    std::sort(leaves.begin(), leaves.end());
    return leaves;
  }

  // The bytes of a text in UTF-16LE, optionally with its terminator.
  static std::vector<std::uint8_t> bytesOf(std::u16string_view text, bool terminated) {
    return bytes::utf16le(text, terminated);
  }

  // ---- Failure switches and the log ----

  // Every later call of op on the key with this path (any key when empty)
  // fails with status and changes nothing.
  void failCalls(Op op, reg::Status status, std::u16string path = {}) {
    failures_.push_back({op, fold(path), status});
  }
  void clearFailures() { failures_.clear(); }

  const std::vector<Call>& calls() const { return calls_; }
  // Every call is also appended here as one line ("Set HKCU\Software\X Lockpa",
  // " failed" added when it did not succeed), shared with other fakes.
  std::vector<std::u16string>* journal = nullptr;
  void clearCalls() { calls_.clear(); }
  std::size_t openHandles() const { return handles_.size(); }

 private:
  struct StoredValue {
    std::u16string name;
    Value value;
  };
  struct Node {
    std::u16string name;
    Node* parent = nullptr;
    bool deleted = false;
    std::map<std::u16string, StoredValue> values;             // by folded name
    std::map<std::u16string, std::shared_ptr<Node>> children;  // by folded name
  };
  struct Handle {
    std::shared_ptr<Node> node;  // keeps a deleted key alive for its handles
    std::uint32_t access;
  };
  struct Failure {
    Op op;
    std::u16string path;  // folded; empty = every key
    reg::Status status;
  };

  static constexpr std::pair<reg::RegKey, const char16_t*> kRootNames[] = {
      {reg::kClassesRoot, u"HKCR"}, {reg::kCurrentUser, u"HKCU"}, {reg::kLocalMachine, u"HKLM"}};

  // Key and value names compare without regard to ASCII case.
  static std::u16string fold(std::u16string_view text) {
    std::u16string folded(text);
    for (char16_t& c : folded)
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return folded;
  }

  static bool isStringType(std::uint32_t type) {
    return type == reg::kSz || type == reg::kExpandSz || type == reg::kMultiSz;
  }

  static std::vector<std::u16string> split(const char16_t* path) {
    std::vector<std::u16string> parts;
    if (path == nullptr) return parts;
    std::u16string part;
    for (const char16_t* p = path; *p; ++p) {
      if (*p == u'\\') {
        if (!part.empty()) parts.push_back(part);
        part.clear();
      } else {
        part.push_back(*p);
      }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
  }

  static std::u16string pathOf(const Node& node) {
    return node.parent ? pathOf(*node.parent) + u'\\' + node.name : node.name;
  }

  static std::u16string join(std::u16string base, const char16_t* subKey) {
    for (const auto& part : split(subKey)) base.append(u"\\").append(part);
    return base;
  }

  static std::shared_ptr<Node> walk(std::shared_ptr<Node> node, const char16_t* path, bool make,
                                    bool* created) {
    for (const auto& part : split(path)) {
      auto& children = node->children;
      auto found = children.find(fold(part));
      if (found == children.end()) {
        if (!make) return nullptr;
        auto child = std::make_shared<Node>();
        child->name = part;
        child->parent = node.get();
        found = children.emplace(fold(part), child).first;
        if (created) *created = true;
      }
      node = found->second;
    }
    return node;
  }

  static void collectLeaves(const Node& node, const std::u16string& path,
                            std::vector<std::u16string>& leaves) {
    if (node.children.empty() && !path.empty()) leaves.push_back(path);
    for (const auto& [folded, child] : node.children)
      collectLeaves(*child, path.empty() ? child->name : path + u'\\' + child->name, leaves);
  }

  static bool isPredefined(reg::RegKey key) {
    for (const auto& [root, name] : kRootNames)
      if (root == key) return true;
    return false;
  }

  std::shared_ptr<Node> nodeOf(reg::RegKey key) const {
    if (isPredefined(key)) return roots_.at(key);
    auto found = handles_.find(key);
    return found == handles_.end() ? nullptr : found->second.node;
  }

  std::uint32_t accessOf(reg::RegKey key) const {
    if (isPredefined(key)) return reg::kKeyAllAccess;
    auto found = handles_.find(key);
    return found == handles_.end() ? 0 : found->second.access;
  }

  reg::RegKey newHandle(std::shared_ptr<Node> node, std::uint32_t access) {
    nextHandle_ += 4;
    const auto handle = static_cast<reg::RegKey>(nextHandle_);
    handles_[handle] = {std::move(node), access};
    return handle;
  }

  std::optional<reg::Status> switchedOff(Op op, const std::u16string& path) const {
    for (const auto& f : failures_)
      if (f.op == op && (f.path.empty() || f.path == fold(path))) return f.status;
    return std::nullopt;
  }

  static const char16_t* opName(Op op) {
    switch (op) {
      case Op::Open: return u"Open";
      case Op::Create: return u"Create";
      case Op::Query: return u"Query";
      case Op::Set: return u"Set";
      case Op::Delete: return u"Delete";
      case Op::Close: return u"Close";
    }
    return u"";
  }

  reg::Status log(Op op, std::u16string path, std::u16string valueName, std::uint32_t access,
                  reg::Status status) {
    if (journal) {
      std::u16string line = std::u16string(opName(op)) + u' ' + path;
      if (op == Op::Query || op == Op::Set) line += u' ' + valueName;
      if (status != reg::kSuccess) line += u" failed";
      journal->push_back(std::move(line));
    }
    calls_.push_back({op, std::move(path), std::move(valueName), access, status});
    return status;
  }

  std::map<reg::RegKey, std::shared_ptr<Node>> roots_;
  std::map<reg::RegKey, Handle> handles_;
  std::uintptr_t nextHandle_ = 0x1000;
  std::vector<Failure> failures_;
  std::vector<Call> calls_;
};

}  // namespace velkor::fakes
