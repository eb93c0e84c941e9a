#include "records/numeric_write.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace tsf {

namespace {

// The double-precision powers of ten that the scaling of a 4-byte real
// needs: 10^k with k from -45 to 38.
constexpr double kPowersOfTen[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22, 1e23, 1e24, 1e25, 1e26, 1e27, 1e28, 1e29, 1e30, 1e31,
    1e32, 1e33, 1e34, 1e35, 1e36, 1e37, 1e38, 1e39, 1e40, 1e41, 1e42, 1e43, 1e44, 1e45};

constexpr int kDigitCount = 8;

void Fill(char* out, int count, char c) {
  if (count > 0) std::memset(out, c, static_cast<std::size_t>(count));
}

// Right-justifies `text` in the field, or fills the field with asterisks
// when it does not fit.
void Justify(const char* text, int length, int w, char* out) {
  if (length > w) {
    Fill(out, w, '*');
    return;
  }
  Fill(out, w - length, ' ');
  std::memcpy(out + (w - length), text, static_cast<std::size_t>(length));
}

// The first `count` (1 to 8) digits of the exact decimal expansion of s,
// 1 <= s < 10, cut off without rounding.
void DigitString(double s, int count, unsigned char digits[kDigitCount]) {
  const auto bits = std::bit_cast<std::uint64_t>(s);
  const int exponent = static_cast<int>((bits >> 52U) & 0x7FFU) - 1023;  // 0 to 3
  const std::uint64_t significand =
      (bits & ((std::uint64_t{1} << 52U) - 1)) | (std::uint64_t{1} << 52U);
  const int shift = 52 - exponent;
  const std::uint64_t mask = (std::uint64_t{1} << shift) - 1;
  digits[0] = static_cast<unsigned char>(significand >> shift);
  std::uint64_t fraction = significand & mask;
  for (int i = 1; i < count; ++i) {
    fraction *= 10;
    digits[i] = static_cast<unsigned char>(fraction >> shift);
    fraction &= mask;
  }
}

}  // namespace

void FormatIntField(std::int32_t value, int w, char* out) {
  if (w <= 0) return;
  char text[12];
  int start = sizeof text;
  std::uint32_t magnitude =
      value < 0 ? 0U - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  do {
    text[--start] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) text[--start] = '-';
  Justify(text + start, static_cast<int>(sizeof text) - start, w, out);
}

void FormatDecField(float value, int w, int d, char* out) {
  if (w <= 0) return;
  if (d < 0) d = 0;
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const bool sign_bit = (bits >> 31U) != 0;
  if (std::isnan(value) || std::isinf(value)) {
    const char* letters = std::isnan(value) ? "-NaN" : "-INF";
    Justify(sign_bit ? letters : letters + 1, sign_bit ? 4 : 3, w, out);
    return;
  }
  const bool zero = (bits & 0x7FFFFFFFU) == 0;
  const bool negative = sign_bit && !zero;  // a zero never shows a sign

  // The digit string D1..D8 and the point position X: the magnitude is
  // 0.D1D2D3... times 10^X.
  unsigned char digits[kDigitCount] = {};
  int x = 0;
  if (!zero) {
    const double v = std::fabs(static_cast<double>(value));
    // The exponent of two, from the bits: a 4-byte real is a normal double.
    const int e = static_cast<int>((std::bit_cast<std::uint64_t>(v) >> 52U) & 0x7FFU) - 1023;
    const int k = (e * 19728) >> 16;  // floor(e * log10(2)), near enough
    double s = v;
    if (k > 0) s = v / kPowersOfTen[k];
    if (k < 0) s = v * kPowersOfTen[-k];
    x = k + 1;
    if (s >= 10) {
      s /= 10;
      ++x;
    }
    // Digits past the rounding digit are never looked at: leave them 0.
    DigitString(s, std::clamp(x + d + 1, 1, kDigitCount), digits);
  }
  auto digit = [&](int i) -> char {  // digit number i + 1; zero past D8
    return static_cast<char>('0' + (i < kDigitCount ? digits[i] : 0));
  };

  // Rounding to d places: only the rounding digit decides.
  const int r = x + d;
  if (!zero && r >= 0 && r < kDigitCount && digits[r] >= 5) {
    digits[r] = 0;
    int i = r - 1;
    for (; i >= 0 && digits[i] == 9; --i) digits[i] = 0;
    if (i >= 0) {
      ++digits[i];
    } else {
      digits[0] = 1;
      ++x;
    }
  }

  // The text, right-justified in the field, or asterisks when it is wider.
  // A field wide enough for any 4-byte real holds at most 1 + 39 + 1 + d
  // characters, so the text is built in place in the field itself.
  const bool shows_zero = zero || x + d <= 0;
  const int length = shows_zero ? d + 2 : (x <= 0 ? d + 2 : x + d + 1) + (negative ? 1 : 0);
  if (length > w) {
    Fill(out, w, '*');
    return;
  }
  char* p = out;
  Fill(p, w - length, ' ');
  p += w - length;
  if (!shows_zero && negative) *p++ = '-';
  if (shows_zero) {
    *p++ = '0';
    *p++ = '.';
    Fill(p, d, '0');
  } else if (x <= 0) {
    *p++ = '0';
    *p++ = '.';
    Fill(p, -x, '0');
    p += -x;
    for (int i = 0; i < x + d; ++i) *p++ = digit(i);
  } else {
    for (int i = 0; i < x; ++i) *p++ = digit(i);
    *p++ = '.';
    for (int i = x; i < x + d; ++i) *p++ = digit(i);
  }
}

}  // namespace tsf
