#include "conversion/table_writer.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "conversion/grid.h"
#include "records/layout.h"

namespace tsf {

namespace {

constexpr LayoutItem kHeader[] = {Skip(1), Lit("Khasadrupchu Bhutan   "), Text(),
                                  Lit(" degrees c.")};
constexpr LayoutItem kRow[] = {Int(4), Repeat(kMonthCount, Dec(6, 1))};

Status WriteRow(RecordUnit& table, long long year, int kind) {
  const auto shown = static_cast<std::int32_t>(std::clamp<long long>(
      year, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
  const bool in_grid = YearInGrid(year);
  OutItem items[1 + kMonthCount] = {shown, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F,
                                    0.0F,  0.0F, 0.0F, 0.0F, 0.0F, 0.0F};
  for (int month = 1; month <= kMonthCount; ++month) {
    items[month].real = in_grid ? Cell(static_cast<int>(year), month, kind) : kFillValue;
  }
  return WriteLayout(table, kRow, items);
}

}  // namespace

Status WriteTables(RecordUnit& table, const StationSummary& summary) {
  long long first = summary.iyr;
  long long last = static_cast<long long>(summary.iyr) + summary.yrcnt - 1;
  if (summary.has_values()) {
    first = std::min<long long>(first, summary.lowest);
    last = std::max<long long>(last, summary.highest);
  }
  for (int kind = 1; kind <= kKindCount; ++kind) {
    TSF_RETURN_IF_ERROR(WriteLayout(table, kHeader, {KindName(kind)}));
    for (long long year = first; year <= last; ++year) {
      TSF_RETURN_IF_ERROR(WriteRow(table, year, kind));
    }
  }
  return {};
}

}  // namespace tsf
