#include "records/numeric_read.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

namespace tsf {
namespace {

std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

struct IntCase {
  const char* field;
  bool ok;
  std::int32_t value;
};

TEST(ReadIntFieldTest, FieldsAsTheyStand) {
  const IntCase cases[] = {
      {"1996", true, 1996},
      {"  96", true, 96},
      {"96  ", true, 96},
      {" 9 6", true, 96},
      {"-999", true, -999},
      {"+123", true, 123},
      {"-  5", true, -5},
      {"    ", true, 0},
      {"   -", true, 0},
      {"-000", true, 0},
      {"", true, 0},
      {"\t1\t2", true, 12},
      {"96.0", false, 0},
      {"1e2 ", false, 0},
      {"12-3", false, 0},
      {"+-12", false, 0},
      {"12 -", false, 0},
      {"abcd", false, 0},
      {"1\x01", false, 0},
      // Wider fields: the whole 4-byte range, and nothing beyond it.
      {"-2147483648", true, INT32_MIN},
      {"2147483647", true, INT32_MAX},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"00000000000000000000042", true, 42},
  };
  for (const IntCase& c : cases) {
    std::int32_t value = 7777;
    EXPECT_EQ(ReadIntField(c.field, &value), c.ok) << '"' << c.field << '"';
    EXPECT_EQ(value, c.ok ? c.value : 7777) << '"' << c.field << '"';
  }
}

struct DecCase {
  const char* field;
  std::uint32_t bits;
};

// Bits of the nearest 4-byte real for the rows that give a value only.
const std::uint32_t k150 = 0x43160000;  // 150.0
const std::uint32_t k15 = 0x41700000;   // 15.0
const std::uint32_t k10 = 0x41200000;   // 10.0
const std::uint32_t k12 = 0x41400000;   // 12.0

TEST(ReadDecFieldTest, DecSixOneFieldsBitForBit) {
  const DecCase cases[] = {
      {"  12.3", 0x4144CCCD}, {"   123", 0x4144CCCD}, {"1 2 3 ", 0x4144CCCD},
      {" 12.34", 0x414570A4}, {"12.345", 0x4145851F}, {"     5", 0x3F000000},
      {"  -5  ", 0xBF000000}, {"  12. ", k12},        {"   999", 0x42C7CCCD},
      {"  -999", 0xC2C7CCCD}, {" -99.9", 0xC2C7CCCD}, {"      ", 0x00000000},
      {"-     ", 0x80000000}, {" -0.0 ", 0x80000000}, {".     ", 0x00000000},
      {"1.5E2 ", k150},       {"1.5d2 ", k150},       {"1.5+2 ", k150},
      {"15E1  ", k15},        {"  1e2 ", k10},        {"15-1  ", 0x3E19999A},
      {"-1.5-2", 0xBC75C28F}, {"12-   ", 0x3F99999A}, {"1.5E  ", 0x3FC00000},
      {"1.5Q2 ", 0x3FC00000}, {"1.5q-2", 0x3FC00000}, {"15Q2  ", k15},
      {"1.2.3 ", 0x3F99999A}, {"24D.  ", 0x4019999A}, {"  Inf ", 0x7F800000},
      {" -Inf ", 0xFF800000}, {"ice   ", 0x7F800000}, {"  NaN ", 0x7FFFFFFF},
      {" -nan ", 0xFFFFFFFF}, {"nope  ", 0x7FFFFFFF}, {"9E+99 ", 0x7F800000},
      {"-9E99 ", 0xFF800000}, {"1E-50 ", 0x00000000}, {"1.E-45", 0x00000001},
      {"1", 0x3DCCCCCD},      {"", 0x00000000},
  };
  for (const DecCase& c : cases) {
    float value = 1234.0F;
    ASSERT_TRUE(ReadDecField(c.field, 1, &value)) << '"' << c.field << '"';
    EXPECT_EQ(Bits(value), c.bits) << '"' << c.field << '"' << " gave " << value;
  }
}

TEST(ReadDecFieldTest, IllegalCharacterLeavesTargetAlone) {
  for (const char* field : {"12a   ", "1/2", "1.5x", "#", "1.5E2z", "12,3"}) {
    float value = 1234.0F;
    EXPECT_FALSE(ReadDecField(field, 1, &value)) << field;
    EXPECT_EQ(value, 1234.0F) << field;
  }
}

TEST(ReadDecFieldTest, ZeroMantissaKeepsTheFieldsSignWhateverTheExponent) {
  const DecCase cases[] = {
      {"0E309", 0x00000000},   {"E999", 0x00000000},    {"-.D400", 0x80000000},
      {"-0E-999", 0x80000000}, {"000.000", 0x00000000},
  };
  for (const DecCase& c : cases) {
    float value = 1;
    ASSERT_TRUE(ReadDecField(c.field, 1, &value)) << c.field;
    EXPECT_EQ(Bits(value), c.bits) << c.field;
  }
}

TEST(ReadDecFieldTest, ImpliedPointForOtherWidthsAndDigits) {
  struct Case {
    const char* field;
    int d;
    float value;
  };
  const Case cases[] = {
      {"5", 3, 0.005F},  {"12345", 2, 123.45F}, {"12345", 0, 12345.0F},        {"1.5", 3, 1.5F},
      {"5E2", 3, 0.5F},  {"", 4, 0.0F},         {"123456789", 4, 12345.6789F}, {"10", 1, 1.0F},
      {"1000", 3, 1.0F},
  };
  for (const Case& c : cases) {
    float value = -1;
    ASSERT_TRUE(ReadDecField(c.field, c.d, &value)) << c.field;
    EXPECT_EQ(value, c.value) << c.field << " d=" << c.d;
  }
}

TEST(ReadDecFieldTest, RangeEdgesRoundToSinglePrecision) {
  const DecCase cases[] = {
      {"3.4028235E38", 0x7F7FFFFF},  // the largest finite value
      {"3.4028236E38", 0x7F800000},  // beyond its half-way point: infinity
      {"-3.4028235E38", 0xFF7FFFFF},
      {"1.17549435E-38", 0x00800000},  // the smallest normal value
      {"1.1754942E-38", 0x007FFFFF},   // the largest subnormal
      {"7.0E-46", 0x00000000},         // just below half the smallest subnormal
      {"8.0E-46", 0x00000001},         // just above it
      {"-1.4E-45", 0x80000001},
      {"16777217", 0x4B800000},  // half-way between two reals: to even
      {"16777219", 0x4B800002},
  };
  for (const DecCase& c : cases) {
    float value = 0;
    ASSERT_TRUE(ReadDecField(c.field, 0, &value)) << c.field;
    EXPECT_EQ(Bits(value), c.bits) << c.field;
  }
}

TEST(PowerOfTenTest, ExactUpTo22AndInfiniteFrom309) {
  double exact = 1;
  for (unsigned n = 0; n <= 22; ++n) {
    EXPECT_EQ(PowerOfTen(n), exact) << n;
    exact *= 10;
  }
  EXPECT_TRUE(std::isfinite(PowerOfTen(308)));
  EXPECT_TRUE(std::isinf(PowerOfTen(309)));
  EXPECT_TRUE(std::isinf(PowerOfTen(100000)));
}

}  // namespace
}  // namespace tsf
