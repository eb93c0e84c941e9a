// Reading numeric fields: the characters of an Int(w) or Dec(w,d) field of
// an input record become a 4-byte integer or a 4-byte real.
//
// Blanks and tabs are ignored wherever they stand. Both functions are pure,
// keep no state and allocate nothing. They return false, leaving `*value`
// alone, for a field holding a character that the field may not hold: the
// read then fails with "Illegal character in numeric input".
#ifndef TSF_RECORDS_NUMERIC_READ_H_
#define TSF_RECORDS_NUMERIC_READ_H_

#include <cstdint>
#include <string_view>

namespace tsf {

// An optional sign, then digits. An empty field is 0. A value outside the
// 4-byte range (only a field wider than any the program reads holds one) is
// rejected like an illegal character.
bool ReadIntField(std::string_view field, std::int32_t* value);

// A decimal number with d implied fraction digits when it has no point, an
// optional exponent (E, e, D, d or a bare sign), Q or q ending the number,
// and the special texts I... (infinity) and N... (NaN).
bool ReadDecField(std::string_view field, int d, float* value);

// The double-precision power of ten used to scale a decimal field: 10^n by
// square-and-multiply, each product rounded. Exact up to 22, infinite from 309.
double PowerOfTen(unsigned n);

}  // namespace tsf

#endif  // TSF_RECORDS_NUMERIC_READ_H_
