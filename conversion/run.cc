#include "conversion/run.h"

#include "conversion/grid.h"
#include "conversion/station_reader.h"
#include "conversion/table_writer.h"
#include "records/layout.h"
#include "records/record_unit.h"
#include "records/run_stop.h"

namespace tsf {

namespace {

constexpr LayoutItem kPrompt[] = {EndRecord, Skip(1), Lit("Enter input file name : "), NoAdvance};
constexpr LayoutItem kNameLine[] = {Text()};
constexpr LayoutItem kNameCharacter[] = {Text(1)};
constexpr LayoutItem kEndLine[] = {Skip(1), Lit("Normal Termination of Program")};
constexpr std::string_view kSuffix = "_tsf";

Status Convert(Units& units, FileName& infl, int* exit_status) {
  TSF_RETURN_IF_ERROR(units.console().AttachConsole());
  FillGrid();
  RecordUnit& console = units.console();
  TSF_RETURN_IF_ERROR(WriteLayout(console, kPrompt));
  TSF_RETURN_IF_ERROR(ReadLayout(console, kNameLine, {std::span<char>(infl)}));
  const FileName outfl = TableFileName(infl);

  // The station file first: when it cannot be opened, no table file is made.
  const std::string_view station_name(infl.data(), infl.size());
  TSF_RETURN_IF_ERROR(units.Connect(kStationUnit, station_name, OpenStatus::kOld));
  TSF_RETURN_IF_ERROR(units.Connect(kTableUnit, std::string_view(outfl.data(), outfl.size()),
                                    OpenStatus::kUnknown));
  // Writing the tables into the station file itself would destroy it.
  if (units.Find(kTableUnit)->SameFile(*units.Find(kStationUnit))) {
    return Failure::Layer("Table file would replace the station file", Statement::kOpen,
                          kTableUnit);
  }

  StationSummary summary;
  ReadEnd end = ReadEnd::kEndOfFile;
  TSF_RETURN_IF_ERROR(ReadStation(units, &summary, &end));
  if (end == ReadEnd::kErrorExit) {
    *exit_status = kExitFailure;
    return {};
  }
  TSF_RETURN_IF_ERROR(WriteTables(*units.Find(kTableUnit), summary));
  TSF_RETURN_IF_ERROR(WriteLayout(console, kEndLine));
  TSF_RETURN_IF_ERROR(units.Disconnect(kStationUnit));
  return units.Disconnect(kTableUnit);
}

}  // namespace

FileName TableFileName(const FileName& infl) {
  // The base ends at the first blank; a tab typed in the name is blanks by now.
  std::size_t base = kNameLength;
  for (std::size_t p = 1; p <= kNameLength; ++p) {
    std::array<char, 1> x{};
    (void)ReadLayout(std::string_view(&infl[p - 1], 1), kNameCharacter, {std::span<char>(x)});
    if (x[0] == ' ') {
      base = p - 1;
      break;
    }
  }
  FileName outfl;
  AssignText(outfl, JoinText(std::string_view(infl.data(), base), kSuffix));
  return outfl;
}

int RunConversion(Os& os) {
  Units units(os);
  FileName infl;
  infl.fill(' ');
  int exit_status = 0;
  const Status status = Convert(units, infl, &exit_status);
  return EndRun(units, status, exit_status);
}

}  // namespace tsf
