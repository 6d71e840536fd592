// Writes what the peer installer's script takes from the wizard's own core,
// so that neither fact is written twice:
//   <folder>/licence.txt  the licence page's agreement, UTF-16LE with a BOM
//                         and CR LF line ends (a plain text file for NSIS)
//   <folder>/facts.nsh    !define INSTALL_DIR, the fixed install folder
//   bench_nsis_inputs <folder>
#include <cstdio>
#include <string>

#include "engine/install_paths.h"
#include "wizard/licence_logic.h"

namespace {

bool write(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

void putUnit(std::string& out, char16_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_nsis_inputs <folder>\n");
    return 2;
  }
  const std::string folder = argv[1];

  std::string licence;
  putUnit(licence, 0xFEFF);
  for (const char16_t unit : velkor::wizard::agreementText()) {
    if (unit == u'\n') putUnit(licence, u'\r');
    putUnit(licence, unit);
  }

  std::string installDir;
  for (const char16_t* p = velkor::paths::kInstallDirectory; *p; ++p) {
    // NSIS reads the include as plain ASCII; '$' and '"' would need escapes.
    if (*p > 0x7E || *p == u'$' || *p == u'"') {
      std::fprintf(stderr, "bench_nsis_inputs: the install folder is not plain ASCII\n");
      return 1;
    }
    installDir += static_cast<char>(*p);
  }
  const std::string facts = "!define INSTALL_DIR \"" + installDir + "\"\n";

  if (!write(folder + "/licence.txt", licence) || !write(folder + "/facts.nsh", facts)) {
    std::fprintf(stderr, "bench_nsis_inputs: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
