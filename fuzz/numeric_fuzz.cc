// The four numeric field conversions on any input: no crash, no undefined
// behaviour, and written fields always exactly w characters of the allowed
// ones.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "records/numeric_read.h"
#include "records/numeric_write.h"

namespace {

constexpr std::string_view kAllowed = " -0123456789.*NaINF";

void CheckField(const char* field, int w, const char* guard) {
  for (int i = 0; i < w; ++i) {
    if (kAllowed.find(field[i]) == std::string_view::npos) std::abort();
  }
  if (std::memcmp(field + w, guard, 8) != 0) std::abort();  // nothing past w
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const int w = data[0] % 48;
  const int d = data[1] % 24;
  const std::string_view field(reinterpret_cast<const char*>(data + 2), size - 2);
  constexpr char kGuard[8] = {'g', 'g', 'g', 'g', 'g', 'g', 'g', 'g'};
  char out[64 + 8];

  float real = 0;
  if (tsf::ReadDecField(field, d, &real)) {
    std::memcpy(out + w, kGuard, 8);
    tsf::FormatDecField(real, w, d, out);
    CheckField(out, w, kGuard);
  }
  std::int32_t integer = 0;
  if (tsf::ReadIntField(field, &integer)) {
    std::memcpy(out + w, kGuard, 8);
    tsf::FormatIntField(integer, w, out);
    CheckField(out, w, kGuard);
  }
  // Any bit pattern as a value.
  if (field.size() >= 4) {
    float bits_value = 0;
    std::memcpy(&bits_value, field.data(), 4);
    std::memcpy(out + w, kGuard, 8);
    tsf::FormatDecField(bits_value, w, d, out);
    CheckField(out, w, kGuard);
    std::int32_t bits_integer = 0;
    std::memcpy(&bits_integer, field.data(), 4);
    std::memcpy(out + w, kGuard, 8);
    tsf::FormatIntField(bits_integer, w, out);
    CheckField(out, w, kGuard);
  }
  return 0;
}
