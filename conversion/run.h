// The conversion run: prompt for the station file's name, connect the
// station file and the table file, read, write, and end.
#ifndef TSF_CONVERSION_RUN_H_
#define TSF_CONVERSION_RUN_H_

#include <array>
#include <string_view>

#include "records/os.h"

namespace tsf {

inline constexpr std::size_t kNameLength = 40;
using FileName = std::array<char, kNameLength>;

// The table file's name: the station file's name up to its first blank,
// followed by "_tsf", cut or blank-padded to 40 characters.
FileName TableFileName(const FileName& infl);

// Runs one conversion on the console and files that `os` gives, from the
// grid fill to the end, and returns the exit status: 0 for an orderly end
// (a halt request included), 255 after a failure or an error exit.
int RunConversion(Os& os);

}  // namespace tsf

#endif  // TSF_CONVERSION_RUN_H_
