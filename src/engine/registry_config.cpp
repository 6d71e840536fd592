#include "engine/registry_config.h"

#include <algorithm>
#include <array>

#include "payload/layout.h"
#include "engine/registry_key.h"
#include "platform/main_window.h"

namespace velkor::regconfig {
namespace {

constexpr char16_t kVersionKey[] = u"SMVersions";
constexpr char16_t kVersionValue[] = u"Versions";

constexpr char16_t kLockKey[] = u"Software\\Velkorsetup";
constexpr char16_t kLockPasswordValue[] = u"Lockpw";
constexpr char16_t kLockFlagValue[] = u"Lockpa";
constexpr char16_t kLockFlagSet[] = u"1";

// The file type of encrypted files; its name is also what Explorer shows.
constexpr char16_t kFileExtension[] = u".vka";
constexpr char16_t kFileTypeName[] = u"VKA 加密档案";
// The program's fourth icon resource.
constexpr char16_t kIconIndexSuffix[] = u",3";

// The shell shows these key names as the menu texts.
constexpr char16_t kEncryptVerb[] = u"Velkor超级文件加密器";
constexpr char16_t kShredVerb[] = u"Velkor超级粉碎";
constexpr char16_t kPlaceholder[] = u"%1";

constexpr const char16_t* installedPath(std::u16string_view fileName) {
  for (const auto& member : payload::kMembers)
    if (fileName == member.fileName) return member.destination;
  return nullptr;
}
constexpr const char16_t* kMainProgram = installedPath(u"VelkorCrypt.exe");
constexpr const char16_t* kShredProgram = installedPath(u"VelkorShredder.exe");
static_assert(kMainProgram != nullptr && kShredProgram != nullptr,
              "both programs are payload members");

std::u16string quoted(std::u16string_view text) {
  std::u16string result(1, u'"');
  result.append(text).push_back(u'"');
  return result;
}

// Quoting the program path too keeps the shell from trying "C:\Program.exe".
std::u16string shellCommand(const char16_t* program) {
  return quoted(program) + u' ' + quoted(kPlaceholder);
}

std::u16string verbCommandKey(std::u16string_view owner, std::u16string_view verb) {
  std::u16string key(owner);
  key.append(u"\\shell\\").append(verb).append(u"\\command");
  return key;
}

void writeEntry(reg::RegistryPort& registry, const RegistryEntry& entry) {
  CRegistryKey key(registry);
  if (entry.createFirst) key.Create(entry.root, entry.key.c_str());
  key.Open(entry.root, entry.key.c_str(), entry.openAccess);
  CRegistryKey::WriteString(registry, entry.root, entry.key.c_str(), entry.data.c_str(),
                            entry.valueName);
  key.Close();
}

// What one read through CRegistryKey::QueryString gave; the text is empty
// after any failure.
struct StringRead {
  reg::Status status;
  std::u16string text;
};

// Opens root\key with every right and reads valueName into the fixed buffer.
// The read has a key object of its own, so when the Open fails nothing is
// read, rather than a value of whatever key an earlier step left open.
StringRead readConfigurationString(reg::RegistryPort& registry, reg::RegKey root,
                                   const char16_t* key, const char16_t* valueName) {
  CRegistryKey holder(registry);
  holder.Open(root, key, reg::kKeyAllAccess);
  std::array<char16_t, kReadBufferUnits> buffer{};
  std::uint32_t byteCount = kReadCapacityBytes;
  const reg::Status status = holder.QueryString(buffer.data(), valueName, &byteCount);
  // QueryString leaves a terminator inside the capacity; the scan stays inside
  // the buffer regardless.
  const auto end = std::find(buffer.begin(), buffer.end(), u'\0');
  return {status, std::u16string(buffer.begin(), end)};
}

}  // namespace

std::u16string mainCommand() { return shellCommand(kMainProgram); }

std::u16string shredCommand() { return shellCommand(kShredProgram); }

std::u16string encodeLockPassword(std::int32_t machineNumber) {
  // The new password is empty: a buffer of zeros, so each unit is its mask.
  const std::array<char16_t, kLockPasswordUnits> password{};
  std::u16string encoded;
  encoded.reserve(kLockPasswordUnits);
  for (std::size_t i = 0; i < kLockPasswordUnits; ++i) {
    // Unsigned arithmetic wraps like the 32-bit sum; only its low 16 bits count.
    const std::uint32_t mask = static_cast<std::uint32_t>(i) +
                               3u * static_cast<std::uint32_t>(machineNumber) + kLockPasswordKey;
    encoded.push_back(static_cast<char16_t>(password[i] ^ (mask & 0xFFFFu)));
  }
  return encoded;
}

std::vector<RegistryEntry> registryEntries(std::int32_t machineNumber) {
  using reg::kClassesRoot;
  using reg::kCurrentUser;
  const std::u16string typeName(kFileTypeName);
  const std::u16string iconKey = typeName + u"\\defaultIcon";
  const std::u16string icon = std::u16string(kMainProgram) + kIconIndexSuffix;
  const std::u16string openCommandKey = typeName + u"\\shell\\open\\command";
  constexpr std::uint32_t kWrite = reg::kKeyWrite;
  return {
      {1, kClassesRoot, kVersionKey, kVersionValue, kCurrentVersion, true, kWrite},
      {2, kClassesRoot, iconKey, nullptr, icon, true, kWrite},
      {3, kCurrentUser, kLockKey, kLockPasswordValue, encodeLockPassword(machineNumber), false, kWrite},
      {4, kCurrentUser, kLockKey, kLockFlagValue, kLockFlagSet, false, kWrite},
      {5, kClassesRoot, verbCommandKey(u"*", kEncryptVerb), nullptr, mainCommand(), true, kWrite},
      {6, kClassesRoot, verbCommandKey(u"*", kShredVerb), nullptr, shredCommand(), true, kWrite},
      {7, kClassesRoot, kFileExtension, nullptr, typeName, true, kWrite},
      {8, kClassesRoot, typeName, nullptr, typeName, true, kWrite},
      {9, kClassesRoot, iconKey, nullptr, icon, true, kWrite},
      {10, kClassesRoot, openCommandKey, nullptr, mainCommand(), true, reg::kKeyReadWrite},
      {11, kClassesRoot, verbCommandKey(u"Folder", kEncryptVerb), nullptr, mainCommand(), true, kWrite},
      {12, kClassesRoot, verbCommandKey(u"Folder", kShredVerb), nullptr, shredCommand(), true, kWrite},
  };
}

LockPasswordAction decideLockPassword(reg::Status lockFlagStatus, std::u16string_view lockFlag,
                                      std::u16string_view previousVersion) {
  if (lockFlagStatus != reg::kSuccess || previousVersion != kCurrentVersion)
    return LockPasswordAction::Reset;
  if (lockFlag.empty()) return LockPasswordAction::ResetWithNotice;
  return LockPasswordAction::Keep;
}

void writeRegistryConfiguration(reg::RegistryPort& registry, MainWindow& view,
                                std::int32_t machineNumber) {
  const std::vector<RegistryEntry> entries = registryEntries(machineNumber);
  const auto write = [&](int number) { writeEntry(registry, entries.at(number - 1)); };

  const std::u16string previousVersion =
      readConfigurationString(registry, reg::kClassesRoot, kVersionKey, kVersionValue).text;
  if (previousVersion != kCurrentVersion) write(1);
  write(2);

  const StringRead lockFlag =
      readConfigurationString(registry, reg::kCurrentUser, kLockKey, kLockFlagValue);
  const LockPasswordAction action =
      decideLockPassword(lockFlag.status, lockFlag.text, previousVersion);
  if (action != LockPasswordAction::Keep) {
    write(3);
    write(4);
  }
  if (action == LockPasswordAction::ResetWithNotice)
    view.messageBox(kNoticeText, kNoticeCaption, kNoticeStyle);

  view.setText(ctl::kStatus, kStatusText);
  for (int number = 5; number <= 12; ++number) write(number);
}

}  // namespace velkor::regconfig
