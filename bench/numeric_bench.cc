// Microbenchmarks of the four numeric field conversions, beside the standard
// library's from_chars and to_chars on the same values for reference.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "records/numeric_read.h"
#include "records/numeric_write.h"

namespace {

// Station values as they stand in Dec(6,1) fields: mostly -30.0 to 40.0 with
// a written point, some with an implied point, some special and overflowing.
std::vector<std::string> DecFields() {
  std::mt19937 random(42);
  std::uniform_int_distribution<int> tenths(-300, 400);
  std::vector<std::string> fields;
  for (int i = 0; i < 4096; ++i) {
    char field[16];
    const int value = tenths(random);
    if (i % 10 == 7) {
      std::snprintf(field, sizeof field, "%6d", value);  // implied point
    } else {
      std::snprintf(field, sizeof field, "%6.1f", value / 10.0);
    }
    fields.emplace_back(field, 6);
  }
  return fields;
}

std::vector<std::string> SpecialFields() {
  return {"  Inf ", " -nan ", "9E+99 ", "1.E-45", "-9E99 ", "1E-50 ", " -99.9", "123456"};
}

std::vector<float> Values(const std::vector<std::string>& fields) {
  std::vector<float> values;
  for (const std::string& field : fields) {
    float value = 0;
    tsf::ReadDecField(field, 1, &value);
    values.push_back(value);
  }
  return values;
}

void BM_ReadDecField(benchmark::State& state, const std::vector<std::string>& fields) {
  std::size_t i = 0;
  for (auto _ : state) {
    float value = 0;
    benchmark::DoNotOptimize(tsf::ReadDecField(fields[i++ % fields.size()], 1, &value));
    benchmark::DoNotOptimize(value);
  }
}

void BM_FromChars(benchmark::State& state, const std::vector<std::string>& fields) {
  // from_chars takes no blanks: the trimmed text, as a caller would pass it.
  std::vector<std::string> trimmed;
  for (const std::string& field : fields) {
    trimmed.push_back(field.substr(field.find_first_not_of(' ')));
  }
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& text = trimmed[i++ % trimmed.size()];
    float value = 0;
    benchmark::DoNotOptimize(std::from_chars(text.data(), text.data() + text.size(), value));
    benchmark::DoNotOptimize(value);
  }
}

void BM_FormatDecField(benchmark::State& state, const std::vector<std::string>& fields) {
  const std::vector<float> values = Values(fields);
  char out[6];
  std::size_t i = 0;
  for (auto _ : state) {
    tsf::FormatDecField(values[i++ % values.size()], 6, 1, out);
    benchmark::DoNotOptimize(out);
  }
}

void BM_ToChars(benchmark::State& state, const std::vector<std::string>& fields) {
  const std::vector<float> values = Values(fields);
  char out[64];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::to_chars(out, out + sizeof out, values[i++ % values.size()],
                                           std::chars_format::fixed, 1));
    benchmark::DoNotOptimize(out);
  }
}

const std::vector<std::string> kYears = {"1996", "2007", "  96", "-999", "1978", "   0"};

void BM_ReadIntField(benchmark::State& state) {
  std::size_t i = 0;
  for (auto _ : state) {
    std::int32_t value = 0;
    benchmark::DoNotOptimize(tsf::ReadIntField(kYears[i++ % kYears.size()], &value));
    benchmark::DoNotOptimize(value);
  }
}

void BM_FromCharsInt(benchmark::State& state) {
  const std::vector<std::string> years = {"1996", "2007", "96", "-999", "1978", "0"};
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& text = years[i++ % years.size()];
    std::int32_t value = 0;
    benchmark::DoNotOptimize(std::from_chars(text.data(), text.data() + text.size(), value));
    benchmark::DoNotOptimize(value);
  }
}

const std::int32_t kYearValues[] = {1996, 2007,  96,
                                    -999, 12345, std::numeric_limits<std::int32_t>::min()};

void BM_FormatIntField(benchmark::State& state) {
  char out[4];
  std::size_t i = 0;
  for (auto _ : state) {
    tsf::FormatIntField(kYearValues[i++ % std::size(kYearValues)], 4, out);
    benchmark::DoNotOptimize(out);
  }
}

void BM_ToCharsInt(benchmark::State& state) {
  char out[16];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        std::to_chars(out, out + sizeof out, kYearValues[i++ % std::size(kYearValues)]));
    benchmark::DoNotOptimize(out);
  }
}

const std::vector<std::string> kStation = DecFields();
const std::vector<std::string> kSpecial = SpecialFields();

}  // namespace

BENCHMARK_CAPTURE(BM_ReadDecField, station, kStation);
BENCHMARK_CAPTURE(BM_ReadDecField, special, kSpecial);
BENCHMARK_CAPTURE(BM_FromChars, station, kStation);
BENCHMARK_CAPTURE(BM_FromChars, special, kSpecial);
BENCHMARK_CAPTURE(BM_FormatDecField, station, kStation);
BENCHMARK_CAPTURE(BM_FormatDecField, special, kSpecial);
BENCHMARK_CAPTURE(BM_ToChars, station, kStation);
BENCHMARK_CAPTURE(BM_ToChars, special, kSpecial);
BENCHMARK(BM_ReadIntField);
BENCHMARK(BM_FromCharsInt);
BENCHMARK(BM_FormatIntField);
BENCHMARK(BM_ToCharsInt);

BENCHMARK_MAIN();
