// Reading the station file: year blocks into the grid, echoed on the console.
#ifndef TSF_CONVERSION_STATION_READER_H_
#define TSF_CONVERSION_STATION_READER_H_

#include <cstdint>
#include <limits>

#include "records/record_unit.h"
#include "records/status.h"

namespace tsf {

inline constexpr int kStationUnit = 69;
inline constexpr int kTableUnit = 70;

struct StationSummary {
  std::int32_t iyr = 0;    // the first block's year
  std::int32_t yrcnt = 0;  // year lines read
  // The lowest and highest years that received a value.
  std::int32_t lowest = std::numeric_limits<std::int32_t>::max();
  std::int32_t highest = std::numeric_limits<std::int32_t>::min();
  bool has_values() const { return lowest <= highest; }
};

// How the reading phase ended: at the station file's end, or through one of
// its two error exits (their console lines written, both units disconnected).
enum class ReadEnd : unsigned char { kEndOfFile, kErrorExit };

Status ReadStation(Units& units, StationSummary* summary, ReadEnd* end);

}  // namespace tsf

#endif  // TSF_CONVERSION_STATION_READER_H_
