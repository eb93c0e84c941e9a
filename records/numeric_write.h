// Writing numeric fields: a 4-byte integer or real becomes exactly w
// characters of an Int(w) or Dec(w,d) field.
//
// No plus sign is ever written, a value that shows as zero has no minus
// sign, and a value that does not fit shows as w asterisks. Both functions
// are pure, keep no state and allocate nothing; they write exactly w
// characters to `out` (none when w is not positive).
#ifndef TSF_RECORDS_NUMERIC_WRITE_H_
#define TSF_RECORDS_NUMERIC_WRITE_H_

#include <cstdint>

namespace tsf {

void FormatIntField(std::int32_t value, int w, char* out);
void FormatDecField(float value, int w, int d, char* out);

}  // namespace tsf

#endif  // TSF_RECORDS_NUMERIC_WRITE_H_
