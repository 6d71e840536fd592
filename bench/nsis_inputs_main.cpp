// bench_nsis_inputs <folder>: writes <folder>/licence.txt and
// <folder>/facts.nsh for bench/peer.nsi (see nsis_inputs.h).
#include <cstdio>
#include <string>

#include "bench/nsis_inputs.h"

namespace {

bool write(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_nsis_inputs <folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  const auto facts = velkor::bench::nsis::factsFile();
  if (!facts) {
    std::fprintf(stderr, "bench_nsis_inputs: the install folder is not plain ASCII\n");
    return 1;
  }
  if (!write(folder + "/licence.txt", velkor::bench::nsis::licenceFile()) || !write(folder + "/facts.nsh", *facts)) {
    std::fprintf(stderr, "bench_nsis_inputs: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
