// A small helper of the finish fakes: numbers in journal lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velkor::fakes {

inline std::u16string numberText(std::int64_t v) {
  std::u16string s;
  const bool negative = v < 0;
  std::uint64_t u = negative ? 0u - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  do {
    s.insert(s.begin(), static_cast<char16_t>(u'0' + u % 10));
    u /= 10;
  } while (u != 0);
  return negative ? u"-" + s : s;
}

inline void note(std::vector<std::u16string>* journal, std::u16string line) {
  if (journal) journal->push_back(std::move(line));
}

}  // namespace velkor::fakes
