#include "conversion/station_reader.h"

#include <algorithm>
#include <array>
#include <string>

#include "conversion/grid.h"
#include "records/layout.h"

namespace tsf {

namespace {

constexpr LayoutItem kYearLine[] = {Int(4)};
constexpr LayoutItem kMonthNameLine[] = {Text(3)};
constexpr LayoutItem kMonthLine[] = {Skip(4), Repeat(3, Dec(6, 1))};
constexpr LayoutItem kYearEcho[] = {Skip(1), Int(4)};
constexpr LayoutItem kMonthEcho[] = {Skip(1), Text(3), Skip(4), Repeat(3, Dec(6, 1))};
constexpr LayoutItem kSecondReadError[] = {Skip(1), Lit("error on second read")};
constexpr LayoutItem kYearReport[] = {Skip(1), Lit(" year= "), Int(4)};
constexpr LayoutItem kMonthReport[] = {Skip(1), Lit(" month= "), Text(3)};

constexpr Routes kEndRoute{.end = true};
constexpr Routes kEndAndErrorRoutes{.end = true, .error = true};

// The month whose name `tmon` is, or `mcnt` when no name matches. Every
// entry is compared.
std::int32_t MatchMonth(std::string_view tmon, std::int32_t mcnt) {
  for (int p = 1; p <= kMonthCount; ++p) {
    if (MonthName(p) == tmon) mcnt = p;
  }
  return mcnt;
}

// Error exits A (no month) and B: their lines, then both units disconnected.
Status ErrorExit(Units& units, std::int32_t yr, const std::string_view* tmon) {
  RecordUnit& console = units.console();
  TSF_RETURN_IF_ERROR(WriteLayout(console, kSecondReadError));
  TSF_RETURN_IF_ERROR(WriteLayout(console, kYearReport, {yr}));
  if (tmon != nullptr) TSF_RETURN_IF_ERROR(WriteLayout(console, kMonthReport, {*tmon}));
  TSF_RETURN_IF_ERROR(units.Disconnect(kStationUnit));
  return units.Disconnect(kTableUnit);
}

}  // namespace

Status ReadStation(Units& units, StationSummary* summary, ReadEnd* end) {
  RecordUnit& station = *units.Find(kStationUnit);
  RecordUnit& console = units.console();
  std::int32_t yr = 0;
  std::int32_t mcnt = 0;
  std::array<char, 3> tmon_text{' ', ' ', ' '};
  const std::string_view tmon(tmon_text.data(), tmon_text.size());
  *end = ReadEnd::kEndOfFile;
  summary->yrcnt = 0;
  for (;;) {
    IoStatus io = IoStatus::kOk;
    TSF_RETURN_IF_ERROR(ReadLayout(station, kYearLine, {yr}, kEndRoute, &io));
    if (io == IoStatus::kEnd) return {};
    if (++summary->yrcnt == 1) summary->iyr = yr;

    TSF_RETURN_IF_ERROR(
        ReadLayout(station, kMonthNameLine, {std::span<char>(tmon_text)}, kEndAndErrorRoutes, &io));
    if (io == IoStatus::kEnd) continue;
    if (io == IoStatus::kError) {
      *end = ReadEnd::kErrorExit;
      return ErrorExit(units, yr, nullptr);
    }
    mcnt = MatchMonth(tmon, mcnt);
    // The grid has cells for years 1 to 2007 and months 1 to 12 only.
    if (!YearInGrid(yr)) {
      return Failure::Layer("Year outside 1 to 2007: " + std::to_string(yr), Statement::kRead,
                            kStationUnit);
    }
    if (mcnt == 0) {
      return Failure::Layer("Unknown month name: " + std::string(tmon), Statement::kRead,
                            kStationUnit);
    }
    TSF_RETURN_IF_ERROR(station.StepBack());
    TSF_RETURN_IF_ERROR(WriteLayout(console, kYearEcho, {yr}));

    for (int p = mcnt; p <= kMonthCount; ++p) {
      float& mean = Cell(yr, p, 1);
      float& maximum = Cell(yr, p, 2);
      float& minimum = Cell(yr, p, 3);
      TSF_RETURN_IF_ERROR(
          ReadLayout(station, kMonthLine, {mean, maximum, minimum}, kEndAndErrorRoutes, &io));
      if (io == IoStatus::kEnd) break;
      if (io == IoStatus::kError) {
        *end = ReadEnd::kErrorExit;
        return ErrorExit(units, yr, &tmon);
      }
      summary->lowest = std::min(summary->lowest, yr);
      summary->highest = std::max(summary->highest, yr);
      TSF_RETURN_IF_ERROR(WriteLayout(console, kMonthEcho, {MonthName(p), mean, maximum, minimum}));
    }
  }
}

}  // namespace tsf
