#include "records/numeric_write.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "records/numeric_read.h"

namespace tsf {
namespace {

std::string Dec(float value, int w = 6, int d = 1) {
  std::string field(static_cast<std::size_t>(w), '?');
  FormatDecField(value, w, d, field.data());
  return field;
}

std::string Int(std::int32_t value, int w = 4) {
  std::string field(static_cast<std::size_t>(w), '?');
  FormatIntField(value, w, field.data());
  return field;
}

float FromBits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

TEST(FormatDecFieldTest, DecSixOneFields) {
  const struct {
    float value;
    const char* field;
  } cases[] = {
      {12.3F, "  12.3"},
      {-99.9F, " -99.9"},
      {0.0F, "   0.0"},
      {-0.0F, "   0.0"},
      {0.5F, "   0.5"},
      {-0.5F, "  -0.5"},
      {0.05F, "   0.1"},
      {0.04999F, "   0.0"},
      {-0.04F, "   0.0"},
      {-0.05F, "  -0.1"},
      {0.25F, "   0.3"},
      {-0.25F, "  -0.3"},
      {0.95F, "   0.9"},
      {9.96F, "  10.0"},
      {12.25F, "  12.3"},
      {12.75F, "  12.7"},
      {-12.75F, " -12.7"},
      {123.25F, " 123.2"},
      {99.95F, "  99.9"},
      {123.45F, " 123.4"},
      {-100.0F, "-100.0"},
      {-999.9F, "-999.9"},
      {-999.95F, "******"},
      {9999.9F, "9999.9"},
      {9999.95F, "******"},
      {10000.0F, "******"},
      {1.0E10F, "******"},
      {1.0E-30F, "   0.0"},
      {FromBits(0x7FFFFFFF), "   NaN"},
      {FromBits(0xFFFFFFFF), "  -NaN"},
      {std::numeric_limits<float>::infinity(), "   INF"},
      {-std::numeric_limits<float>::infinity(), "  -INF"},
      {FromBits(0x00000001), "   0.0"},
      {FromBits(0x80000001), "   0.0"},
      {std::numeric_limits<float>::max(), "******"},
      {-0.96F, "  -1.0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Dec(c.value), c.field) << c.value;
  }
}

TEST(FormatDecFieldTest, OtherWidthsAndDigits) {
  const struct {
    float value;
    int w;
    int d;
    const char* field;
  } cases[] = {
      {12.345F, 8, 3, "  12.345"},
      {-0.0625F, 8, 4, " -0.0625"},
      {0.0625F, 6, 2, "  0.06"},  // 0.0625 is exact: the 2 decides alone
      {0.001F, 7, 2, "   0.00"},
      {0.006F, 7, 2, "   0.01"},
      {1.0E10F, 14, 1, " 10000000000.0"},  // digits past D8 are zeros
      {3.0F, 2, 0, "3."},                  // no fraction digits
      {0.0F, 2, 0, "0."},
      {0.5F, 3, 0, " 1."},
      {0.5F, 3, 1, "0.5"},  // narrower than d + 3: still fits
      {-0.5F, 3, 1, "***"},
      {INFINITY, 2, 1, "**"},
      {-INFINITY, 3, 1, "***"},
      {1.5F, 1, 1, "*"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Dec(c.value, c.w, c.d), c.field) << c.value << " w=" << c.w << " d=" << c.d;
  }
}

TEST(FormatIntFieldTest, IntFields) {
  const struct {
    std::int32_t value;
    int w;
    const char* field;
  } cases[] = {
      {0, 4, "   0"},
      {7, 4, "   7"},
      {-5, 4, "  -5"},
      {1996, 4, "1996"},
      {-999, 4, "-999"},
      {10000, 4, "****"},
      {-1000, 4, "****"},
      {INT32_MIN, 4, "****"},
      {INT32_MIN, 11, "-2147483648"},
      {INT32_MAX, 12, "  2147483647"},
      {5, 1, "5"},
      {-5, 1, "*"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Int(c.value, c.w), c.field) << c.value;
  }
}

// Over a strided sweep of every bit pattern: the field is always exactly w
// characters of the allowed ones, and a finite value that fits reads back
// within half a unit of the last place shown.
TEST(FormatDecFieldTest, SweepOfBitPatternsHoldsWidthAlphabetAndRoundTrip) {
  const std::string allowed = " -0123456789.*NaINF";
  int checked = 0;
  for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFULL; bits += 4099) {
    const float value = FromBits(static_cast<std::uint32_t>(bits));
    char field[7] = "??????";
    FormatDecField(value, 6, 1, field);
    const std::string text(field, 6);
    ASSERT_EQ(text.find_first_not_of(allowed), std::string::npos) << text;
    ASSERT_EQ(field[6], '\0');  // nothing past the field's w characters
    if (!std::isfinite(value) || text.find('*') != std::string::npos) continue;
    float back = 0;
    ASSERT_TRUE(ReadDecField(text, 1, &back)) << text;
    ASSERT_LE(std::fabs(static_cast<double>(back) - value), 0.05 + std::fabs(value) * 1e-7)
        << value << " -> " << text;
    ++checked;
  }
  EXPECT_GT(checked, 10000);
}

}  // namespace
}  // namespace tsf
