// The record layer's statements on their own: a table row written to a
// device unit that discards it, and a monthly line read from a text.
#include <benchmark/benchmark.h>

#include "records/layout.h"
#include "records/record_unit.h"

namespace {

constexpr tsf::LayoutItem kRow[] = {tsf::Int(4), tsf::Repeat(12, tsf::Dec(6, 1))};
constexpr tsf::LayoutItem kMonthLine[] = {tsf::Skip(4), tsf::Repeat(3, tsf::Dec(6, 1))};

void BM_WriteRow(benchmark::State& state) {
  tsf::Units units;
  if (!units.Connect(70, "/dev/null", tsf::OpenStatus::kUnknown).ok()) {
    state.SkipWithError("cannot open /dev/null");
    return;
  }
  tsf::RecordUnit& unit = *units.Find(70);
  const tsf::OutItem items[] = {1996,  -99.9F, 3.4F,  7.3F,  12.0F, 16.5F, 18.3F,
                                21.1F, 19.5F,  16.4F, 11.2F, 7.1F,  -2.0F};
  for (auto _ : state) {
    benchmark::DoNotOptimize(tsf::WriteLayout(unit, kRow, items).ok());
  }
}

void BM_ReadMonthLine(benchmark::State& state) {
  float values[3];
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        tsf::ReadLayout("Jun   18.3  23.5  13.0", kMonthLine, {values[0], values[1], values[2]}));
    benchmark::DoNotOptimize(values);
  }
}

}  // namespace

BENCHMARK(BM_WriteRow);
BENCHMARK(BM_ReadMonthLine);
