// The machine number and the lock-password encoding that depends on it.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "engine/machine_number.h"
#include "engine/registry_config.h"

namespace {

using velkor::computeMachineNumber;
using velkor::machineNumberFromSerial;
using velkor::regconfig::encodeLockPassword;

TEST(MachineNumber, WorkedValues) {
  struct Case {
    std::uint32_t serial;
    std::int32_t expected;
  };
  const Case cases[] = {
      {0, 1},                   // "0"
      {7, 8},                   // "7"
      {8, 1},                   // "8": 8 mod 8 = 0
      {5, 6},                   // a one-character text stays whole
      {16, 1},                  // "16"
      {1'650'000'000, 1},       // "16..." gives 16
      {23, 8},                  // "23"
      {2'345'678, 8},           // "23..." gives 23
      {30, 7},                  // "30"
      {0x1234ABCD, 7},          // 305,441,741: "30..." gives 30
      {99, 4},                  // 99 mod 8 = 3
      {2'147'483'647, 6},       // INT32_MAX: "21"
      {0xFFFFFFFF, 2},          // -1 as signed: |-1| = 1
      {0x80000001, 6},          // -2,147,483,647 as signed: "21"
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "serial " << c.serial);
    EXPECT_EQ(machineNumberFromSerial(c.serial), c.expected);
  }
}

TEST(MachineNumber, SerialsAboveTheSignedRangeUseTheirMagnitude) {
  // 3,012,345,678 is -1,282,621,618 as a signed number: "12" gives 5, not the
  // "30" its unsigned text begins with.
  EXPECT_EQ(machineNumberFromSerial(3'012'345'678u), 5);
}

TEST(MachineNumber, TheSerialWithoutPositiveCounterpartGivesMinusOne) {
  // 2,147,483,648 is INT32_MIN: it stays negative, "-2" is kept, -2 + 1.
  EXPECT_EQ(machineNumberFromSerial(2'147'483'648u), -1);
}

TEST(MachineNumber, EveryOtherSerialGivesOneToEight) {
  // A stride that visits every leading pair of digits across the whole range.
  for (std::uint64_t serial = 0; serial <= 0xFFFFFFFFull; serial += 65'521) {
    if (serial == 0x80000000ull) continue;
    const std::int32_t number = machineNumberFromSerial(static_cast<std::uint32_t>(serial));
    ASSERT_GE(number, 1) << serial;
    ASSERT_LE(number, 8) << serial;
  }
  for (std::uint32_t serial = 0; serial < 1000; ++serial) {
    const std::int32_t number = machineNumberFromSerial(serial);
    ASSERT_GE(number, 1) << serial;
    ASSERT_LE(number, 8) << serial;
  }
}

TEST(MachineNumber, AFailedReadCountsAsSerialZero) {
  EXPECT_EQ(computeMachineNumber(std::nullopt), 1);
  EXPECT_EQ(computeMachineNumber(0x1234ABCDu), 7);
  EXPECT_EQ(computeMachineNumber(2'147'483'648u), -1);
}

TEST(LockPassword, IsAlways32WholeUnitsForEveryMachineNumber) {
  for (std::int32_t machine = -1; machine <= 8; ++machine) {
    SCOPED_TRACE(::testing::Message() << "machine number " << machine);
    const std::u16string encoded = encodeLockPassword(machine);
    ASSERT_EQ(encoded.size(), 32u);
    for (char16_t unit : encoded) {
      EXPECT_NE(unit, 0);
      EXPECT_FALSE(unit >= 0xD800 && unit <= 0xDFFF) << std::hex << unit;
    }
    EXPECT_EQ(encodeLockPassword(machine), encoded);  // the same text every time
  }
}

TEST(LockPassword, UnitIIsTheLowSixteenBitsOfIPlusThreeMPlusK) {
  const std::u16string one = encodeLockPassword(1);
  for (std::size_t i = 0; i < 32; ++i) EXPECT_EQ(one[i], 0x5A3C + 3 + i) << i;
  EXPECT_EQ(encodeLockPassword(0).front(), 0x5A3C);
  EXPECT_EQ(encodeLockPassword(-1).front(), 0x5A39);
  EXPECT_EQ(encodeLockPassword(8).back(), 0x5A3C + 24 + 31);
  EXPECT_NE(encodeLockPassword(2), encodeLockPassword(3));
}

TEST(LockPassword, LargeMachineNumbersWrapInsteadOfOverflowing) {
  // 3 * INT32_MAX does not fit 32 bits; only the low 16 bits of the sum count.
  const std::u16string encoded = encodeLockPassword(std::numeric_limits<std::int32_t>::max());
  ASSERT_EQ(encoded.size(), 32u);
  // 3 * 0x7FFFFFFF = 0x17FFFFFFD, low 16 bits 0xFFFD.
  EXPECT_EQ(encoded[0], static_cast<char16_t>((0xFFFDu + 0x5A3Cu) & 0xFFFFu));
}

}  // namespace
