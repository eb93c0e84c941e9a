#include "records/numeric_read.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>

namespace tsf {

namespace {

// The field's characters with blanks and tabs left out, read in order.
class Compacted {
 public:
  explicit Compacted(std::string_view field) : field_(field) { SkipBlanks(); }

  bool done() const { return index_ == field_.size(); }
  char peek() const { return field_[index_]; }
  void next() {
    ++index_;
    SkipBlanks();
  }

 private:
  void SkipBlanks() {
    while (index_ < field_.size() && (field_[index_] == ' ' || field_[index_] == '\t')) ++index_;
  }

  std::string_view field_;
  std::size_t index_ = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsExponentLetter(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }
bool IsSign(char c) { return c == '+' || c == '-'; }

// Exponents beyond this already scale every mantissa to zero or infinity.
constexpr std::int64_t kExponentLimit = 100000;
// Digits beyond these do not fit the 64-bit mantissa; they are cut off.
constexpr int kMantissaDigits = 19;

}  // namespace

bool ReadIntField(std::string_view field, std::int32_t* value) {
  Compacted chars(field);
  bool negative = false;
  if (!chars.done() && IsSign(chars.peek())) {
    negative = chars.peek() == '-';
    chars.next();
  }
  const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
  std::int64_t magnitude = 0;
  for (; !chars.done(); chars.next()) {
    const char c = chars.peek();
    if (!IsDigit(c)) return false;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) return false;
  }
  *value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return true;
}

double PowerOfTen(unsigned n) {
  double product = 1;
  double square = 10;
  for (;;) {
    if (n <= 1) return n == 0 ? 1.0 : square * product;  // the highest set bit
    if ((n & 1U) != 0) product *= square;
    square *= square;
    n >>= 1U;
  }
}

namespace {

constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kFastDigits = 15;  // mantissas below 10^15 are exact doubles

// The common field: blanks, an optional sign, digits and at most one point.
// It takes the same steps as the general reading below, without an exponent:
// M divided by 10^f in double precision, then rounded to single precision.
// False when the field is not of this form.
bool ReadPlainDecField(std::string_view field, int d, float* value) {
  std::size_t i = 0;
  const std::size_t size = field.size();
  auto skip_blanks = [&] {
    while (i < size && (field[i] == ' ' || field[i] == '\t')) ++i;
  };
  skip_blanks();
  bool negative = false;
  if (i < size && (field[i] == '-' || field[i] == '+')) {
    negative = field[i] == '-';
    ++i;
  }
  std::uint64_t mantissa = 0;
  int digits = 0;
  int fraction_digits = 0;
  bool point = false;
  for (; i < size; ++i) {
    const char c = field[i];
    if (c >= '0' && c <= '9') {
      if (++digits > kFastDigits) return false;
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
      if (point) ++fraction_digits;
    } else if (c == '.' && !point) {
      point = true;
    } else if (c != ' ' && c != '\t') {
      return false;
    }
  }
  const int f = point ? fraction_digits : std::max(d, 0);
  if (f > 22) return false;
  const double x = static_cast<double>(mantissa) / kExactPowersOfTen[f];
  *value = static_cast<float>(negative ? -x : x);
  return true;
}

}  // namespace

bool ReadDecField(std::string_view field, int d, float* value) {
  if (ReadPlainDecField(field, d, value)) return true;
  Compacted chars(field);
  bool negative = false;
  if (!chars.done() && IsSign(chars.peek())) {
    negative = chars.peek() == '-';
    chars.next();
  }
  const float sign = negative ? -1.0F : 1.0F;
  if (!chars.done()) {
    const char first = chars.peek();
    if (first == 'I' || first == 'i') {
      *value = std::copysign(INFINITY, sign);
      return true;
    }
    if (first == 'N' || first == 'n') {
      *value = std::bit_cast<float>(negative ? 0xFFFFFFFFU : 0x7FFFFFFFU);
      return true;
    }
  }

  // One pass over the body: check every character, and find the mantissa
  // part (up to the first exponent letter or sign) and whether it holds a
  // point. The number itself is read in a second pass.
  int mantissa_length = 0;
  bool mantissa_has_point = false;
  bool in_mantissa = true;
  for (Compacted check = chars; !check.done(); check.next()) {
    const char c = check.peek();
    const bool allowed =
        IsDigit(c) || c == '.' || IsSign(c) || IsExponentLetter(c) || c == 'Q' || c == 'q';
    if (!allowed) return false;
    if (IsExponentLetter(c) || IsSign(c)) in_mantissa = false;
    if (in_mantissa) {
      ++mantissa_length;
      mantissa_has_point = mantissa_has_point || c == '.';
    }
  }
  // Without a written point, the last d characters of the mantissa part are
  // the fraction; missing ones are leading zeros of the fraction.
  const bool implied_point = !mantissa_has_point && d > 0;
  const int integer_length = implied_point ? mantissa_length - d : mantissa_length;

  std::uint64_t mantissa = 0;
  int digits = 0;          // significant digits taken into the mantissa
  std::int64_t scale = 0;  // decimal exponent of the mantissa's last digit
  // Fraction zeros not yet known to be trailing; an implied point before the
  // mantissa part's start begins the fraction with the missing zeros.
  int pending_zeros = implied_point && integer_length < 0 ? -integer_length : 0;
  auto take_digit = [&](char c, bool fraction) {
    if (fraction) {
      if (c == '0') {
        ++pending_zeros;
        return;
      }
      for (; pending_zeros > 0; --pending_zeros) {
        if (digits < kMantissaDigits) {
          if (mantissa != 0) ++digits;
          mantissa *= 10;
          --scale;
        }
      }
    }
    if (digits < kMantissaDigits) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
      if (mantissa != 0) ++digits;
      if (fraction) --scale;
    } else if (!fraction) {
      ++scale;  // an integer digit past the mantissa's precision
    }
  };

  // Integer digits, then a point and the fraction digits. With an implied
  // point the fraction begins after integer_length characters (at once when
  // that is not positive).
  int position = 0;
  bool in_fraction = implied_point && integer_length <= 0;
  while (!chars.done()) {
    if (implied_point && !in_fraction && position == integer_length) {
      in_fraction = true;
      continue;
    }
    const char c = chars.peek();
    if (IsDigit(c)) {
      take_digit(c, in_fraction);
    } else if (c == '.' && !in_fraction) {
      in_fraction = true;
    } else {
      break;
    }
    ++position;
    chars.next();
  }

  // The exponent: a letter and a sign, each optional, then digits.
  std::int64_t exponent = 0;
  if (!chars.done() && IsExponentLetter(chars.peek())) chars.next();
  bool exponent_negative = false;
  if (!chars.done() && IsSign(chars.peek())) {
    exponent_negative = chars.peek() == '-';
    chars.next();
  }
  for (; !chars.done() && IsDigit(chars.peek()); chars.next()) {
    exponent = std::min(exponent * 10 + (chars.peek() - '0'), kExponentLimit);
  }
  if (exponent_negative) exponent = -exponent;

  // A zero mantissa is zero with the field's sign, whatever the exponent.
  if (mantissa == 0) {
    *value = std::copysign(0.0F, sign);
    return true;
  }
  const std::int64_t e = exponent + scale;
  auto x = static_cast<double>(mantissa);
  if (e > 0) x *= PowerOfTen(static_cast<unsigned>(std::min(e, kExponentLimit)));
  if (e < 0) x /= PowerOfTen(static_cast<unsigned>(std::min(-e, kExponentLimit)));
  if (negative) x = -x;
  // Rounding to single precision: from the midpoint above the largest finite
  // value on, the nearest 4-byte real is infinity.
  constexpr double kOverflow = 0x1.ffffffp127;
  if (std::fabs(x) >= kOverflow) {
    *value = std::copysign(INFINITY, sign);
  } else {
    *value = static_cast<float>(x);
  }
  return true;
}

}  // namespace tsf
