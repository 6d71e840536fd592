// Any bytes as an extended dialog template: the reader stays inside them, and
// what it returns is consistent with what they can hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "wizard/dialog_template.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto parsed = velkor::wizard::parseDialogTemplate(data, size);
  if (!parsed) return 0;
  // The header alone takes 32 bytes and each item at least 30 more.
  if (size < 32 + parsed->items.size() * 30) std::abort();
  return 0;
}
