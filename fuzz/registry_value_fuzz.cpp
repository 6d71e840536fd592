// Registry value data is untrusted: anyone may have stored any type and any
// bytes under the names the wizard reads. Whatever the data, QueryString must
// stay inside the caller's buffer, leave it terminated inside its capacity,
// and report success only for a terminated string that fits.
//
// Input: byte 0 picks the port and the capacity, bytes 1-4 the value type,
// bytes 5-6 an extra capacity; the rest is the value's data. Through the
// in-memory registry the data is stored as a value and read back; through
// the scripted port the input also sets the reported status and byte count,
// so the checks hold for any port answer, not only the real registry's.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/registry_config.h"
#include "engine/registry_key.h"
#include "fakes/fake_registry.h"

namespace {

using namespace velkor;

// A port that answers every read with what the input scripted; it writes no
// more than the capacity it was given, as the registry never does.
class ScriptedPort final : public reg::RegistryPort {
 public:
  reg::Status status = reg::kSuccess;
  std::uint32_t type = reg::kSz;
  std::uint32_t reportedCount = 0;
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;

  reg::Status openKey(reg::RegKey, const char16_t*, std::uint32_t, reg::RegKey* result) noexcept override {
    *result = static_cast<reg::RegKey>(0x100);
    return reg::kSuccess;
  }
  reg::Status createKey(reg::RegKey, const char16_t*, const char16_t*, std::uint32_t, std::uint32_t,
                        reg::RegKey*, std::uint32_t*) noexcept override {
    return reg::kAccessDenied;
  }
  reg::Status queryValue(reg::RegKey, const char16_t*, std::uint32_t* typeOut, std::uint8_t* buffer,
                         std::uint32_t* byteCount) noexcept override {
    if (typeOut) *typeOut = type;
    if (buffer != nullptr && byteCount != nullptr)
      std::memcpy(buffer, data, std::min<std::size_t>(size, *byteCount));
    if (byteCount) *byteCount = reportedCount;
    return status;
  }
  reg::Status setValue(reg::RegKey, const char16_t*, std::uint32_t, const std::uint8_t*,
                       std::uint32_t) noexcept override {
    return reg::kAccessDenied;
  }
  reg::Status deleteKey(reg::RegKey, const char16_t*) noexcept override { return reg::kAccessDenied; }
  reg::Status closeKey(reg::RegKey) noexcept override { return reg::kSuccess; }
};

// One read into a heap block of exactly `capacity` bytes, so that any access
// past it is the sanitizer's; then the promises every caller relies on.
void readAndCheck(CRegistryKey& key, std::uint32_t capacity, bool realRegistry) {
  std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[capacity]);
  std::memset(block.get(), 0xA5, capacity);  // no terminator unless one is written
  auto* buffer = reinterpret_cast<char16_t*>(block.get());
  std::uint32_t count = capacity;
  const reg::Status status = key.QueryString(buffer, u"Value", &count);

  const std::size_t units = capacity / sizeof(char16_t);
  if (units > 0 && std::find(buffer, buffer + units, u'\0') == buffer + units) std::abort();  // unterminated
  if (status == reg::kSuccess && count == 0) {
    if (units > 0 && buffer[0] != 0) std::abort();  // an empty value reads as the empty string
  } else if (status == reg::kSuccess) {
    if (count > capacity || count % 2 != 0) std::abort();
    if (buffer[count / 2 - 1] != 0) std::abort();
  } else if (realRegistry && units > 0 && buffer[0] != 0) {
    std::abort();  // a failed read leaves the empty string
  }
}

std::uint32_t le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size < 7) return 0;
  const std::uint8_t selector = input[0];
  // Small type numbers most of the time, so every string type is reached often.
  const std::uint32_t rawType = le32(input + 1);
  const std::uint32_t type = (selector & 0x80) ? rawType : rawType % 9;
  const std::uint32_t oddCapacity = static_cast<std::uint32_t>(input[5] | input[6] << 8);
  const std::uint8_t* data = input + 7;
  const std::size_t dataSize = size - 7;
  const auto fit = static_cast<std::uint32_t>(dataSize);

  // The wizard's own capacity, its whole buffer, sizes around the value's,
  // the smallest ones and one from the input.
  const std::uint32_t capacities[] = {
      regconfig::kReadCapacityBytes, static_cast<std::uint32_t>(regconfig::kReadBufferUnits * sizeof(char16_t)),
      fit, fit + 1, fit > 0 ? fit - 1 : 0, fit + 2, 0, 1, 2, 3, oddCapacity};

  if ((selector & 1) == 0) {
    fakes::FakeRegistry registry;
    reg::RegKey created{};
    std::uint32_t disposition = 0;
    if (registry.createKey(reg::kCurrentUser, u"Software\\Fuzz", nullptr, reg::kOptionNonVolatile,
                           reg::kKeyAllAccess, &created, &disposition) != reg::kSuccess)
      std::abort();
    // Two more input bytes stand behind the data, as memory behind a caller's
    // count does (the registry then counts a terminator that follows).
    std::vector<std::uint8_t> stored(data, data + dataSize);
    stored.push_back(selector & 2 ? 0 : 0x41);
    stored.push_back(0);
    registry.setValue(created, u"Value", type, stored.data(), fit);
    registry.closeKey(created);

    CRegistryKey key(registry);
    if (key.Open(reg::kCurrentUser, u"Software\\Fuzz", reg::kKeyAllAccess) != reg::kSuccess) std::abort();
    for (std::uint32_t capacity : capacities) readAndCheck(key, capacity, true);
    std::uint32_t sizeOnly = 0;
    (void)key.QueryString(nullptr, u"Value", &sizeOnly);  // a null buffer only asks for the size
  } else {
    ScriptedPort port;
    port.type = type;
    port.data = data;
    port.size = dataSize;
    // Status: success, more data, or a failure code; the count: the data's
    // size, or anything the input says.
    static constexpr reg::Status kStatuses[] = {reg::kSuccess, reg::kMoreData, reg::kFileNotFound,
                                                reg::kAccessDenied};
    port.status = kStatuses[(selector >> 1) & 3];
    port.reportedCount = (selector & 8) ? rawType : fit;
    CRegistryKey key(port);
    key.Open(reg::kCurrentUser, u"Software\\Fuzz", reg::kKeyAllAccess);
    for (std::uint32_t capacity : capacities) readAndCheck(key, capacity, false);
  }
  return 0;
}
