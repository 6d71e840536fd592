#include "engine/machine_number.h"

#include <limits>
#include <string>

namespace velkor {
namespace {

// "%d" of a signed 32-bit integer.
std::u16string decimal(std::int32_t value) {
  std::int64_t rest = value;  // wide enough for the magnitude of INT32_MIN
  const bool negative = rest < 0;
  if (negative) rest = -rest;
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + rest % 10));
    rest /= 10;
  } while (rest != 0);
  if (negative) digits.insert(digits.begin(), u'-');
  return digits;
}

// wcstol with base 10 on a short text: optional sign, then decimal digits up
// to the first other character; no digits read as 0.
std::int32_t leadingInteger(const std::u16string& text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  std::int32_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
    value = value * 10 + (text[i] - u'0');  // at most two characters: no overflow
  return negative ? -value : value;
}

}  // namespace

std::int32_t machineNumberFromSerial(std::uint32_t serial) {
  const auto asSigned = static_cast<std::int32_t>(serial);
  const std::int32_t magnitude =
      asSigned == std::numeric_limits<std::int32_t>::min() ? asSigned
      : asSigned < 0                                       ? -asSigned
                                                           : asSigned;
  const std::int32_t kept = leadingInteger(decimal(magnitude).substr(0, 2));
  return kept % 8 + 1;
}

std::int32_t computeMachineNumber(std::optional<std::uint32_t> serial) {
  return machineNumberFromSerial(serial.value_or(0));
}

}  // namespace velkor
