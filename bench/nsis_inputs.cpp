#include "bench/nsis_inputs.h"

#include "engine/install_paths.h"
#include "wizard/licence_logic.h"

namespace velkor::bench::nsis {

namespace {

void putUnit(std::string& out, char16_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

}  // namespace

std::string licenceFile() {
  std::string bytes;
  putUnit(bytes, 0xFEFF);
  for (const char16_t unit : wizard::agreementText()) {
    if (unit == u'\n') putUnit(bytes, u'\r');
    putUnit(bytes, unit);
  }
  return bytes;
}

std::optional<std::string> factsFile() {
  std::string folder;
  for (const char16_t* p = paths::kInstallDirectory; *p; ++p) {
    if (*p < 0x20 || *p > 0x7E || *p == u'$' || *p == u'"') return std::nullopt;
    folder += static_cast<char>(*p);
  }
  return "!define INSTALL_DIR \"" + folder + "\"\n";
}

}  // namespace velkor::bench::nsis
