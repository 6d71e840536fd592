// The machine number: a small signed integer taken from the serial number of
// the system volume. The lock-password encoding depends on it, so the product's
// own programs derive it the same way; it is computed once when the main
// window initialises.
#pragma once

#include <cstdint>
#include <optional>

namespace velkor {

// The volume whose serial number is read (GetVolumeInformationW, no name or
// file-system buffers).
inline constexpr char16_t kMachineNumberVolume[] = u"c:\\";

// The first two characters of the decimal form of |serial as signed|, read
// back as a number, modulo 8 (sign of the dividend) plus 1: 1..8, or -1 for
// the serial 2,147,483,648, which has no positive counterpart.
std::int32_t machineNumberFromSerial(std::uint32_t serial);

// The machine number from what reading the serial gave (nothing when the
// read failed, which counts as serial 0).
std::int32_t computeMachineNumber(std::optional<std::uint32_t> serial);

}  // namespace velkor
