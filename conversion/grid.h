// The temperature grid: every monthly value that the run knows, by year,
// month and kind, and the constant name tables that go with it.
#ifndef TSF_CONVERSION_GRID_H_
#define TSF_CONVERSION_GRID_H_

#include <cstddef>
#include <string_view>

namespace tsf {

inline constexpr int kFirstYear = 1;
inline constexpr int kLastYear = 2007;
inline constexpr int kMonthCount = 12;
inline constexpr int kKindCount = 3;

// A month for which the station file gave no line (bits C2C7CCCD).
inline constexpr float kFillValue = -99.9F;

// ydata[year - 1][month - 1][kind - 1], kinds 1 = mean, 2 = maximum,
// 3 = minimum. Lives for the whole run.
extern float ydata[kLastYear][kMonthCount][kKindCount];

// The twelve month names, three characters each, and the three kind names,
// ten characters each.
inline constexpr std::string_view months = "JanFebMarAprMayJunJulAugSepOctNovDec";
inline constexpr std::string_view datype = "ave.tmp   mx.tmp    mn.tmp    ";

inline bool YearInGrid(long long year) { return year >= kFirstYear && year <= kLastYear; }
// The cell of a year in the grid, month 1 to 12 and kind 1 to 3.
inline float& Cell(int year, int month, int kind) { return ydata[year - 1][month - 1][kind - 1]; }
inline std::string_view MonthName(int month) {
  return months.substr(3 * static_cast<std::size_t>(month - 1), 3);
}
inline std::string_view KindName(int kind) {
  return datype.substr(10 * static_cast<std::size_t>(kind - 1), 10);
}

// Sets every cell to the fill value.
void FillGrid();

}  // namespace tsf

#endif  // TSF_CONVERSION_GRID_H_
