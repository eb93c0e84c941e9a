// Record reading with step-backs, against a simple model of the records: the
// input's first byte picks where to step back, the rest is the file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "records/record_unit.h"

namespace {

// The records of `bytes`: LF ends one, CR is dropped, TAB goes to the next
// multiple of 8, and a last line without LF counts when it holds anything.
std::vector<std::string> Model(const std::string& bytes) {
  std::vector<std::string> records;
  std::string record;
  for (const char c : bytes) {
    if (c == '\n') {
      records.push_back(record);
      record.clear();
    } else if (c == '\t') {
      record.append(8 - record.size() % 8, ' ');
    } else if (c != '\r') {
      record += c;
    }
  }
  if (!record.empty()) records.push_back(record);
  return records;
}

std::string TempPath() {
  static const std::string path = [] {
    char pattern[] = "/tmp/tsf_fuzz_records_XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd >= 0) close(fd);
    return std::string(pattern);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const unsigned steps = data[0];
  // Repeat the body to reach past the 8192-byte blocks now and then.
  std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  if ((steps & 0x80U) != 0 && !bytes.empty()) {
    while (bytes.size() < 20000) bytes += bytes;
  }
  const std::string path = TempPath();
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);

  const std::vector<std::string> expected = Model(bytes);
  tsf::Units units;
  if (!units.Connect(69, path, tsf::OpenStatus::kOld).ok()) std::abort();
  tsf::RecordUnit& unit = *units.Find(69);
  std::size_t next = 0;
  for (std::size_t i = 0; i < expected.size() + 3; ++i) {
    std::string_view record;
    bool end = false;
    if (!unit.ReadRecord(&record, &end).ok()) std::abort();
    if (next == expected.size()) {
      if (!end) std::abort();  // every read after the end reports the end
    } else {
      if (end || record != expected[next]) std::abort();
      // Step back over this record now and then: it comes again.
      if (((i * 7 + steps) % 5) == 0) {
        if (!unit.StepBack().ok()) std::abort();
        if (!unit.ReadRecord(&record, &end).ok() || end || record != expected[next]) std::abort();
      }
      ++next;
    }
  }
  if (!units.DisconnectAll().ok()) std::abort();
  return 0;
}
