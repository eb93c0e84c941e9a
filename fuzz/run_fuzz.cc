// The whole run in-process on any station file: it ends with status 0 or
// 255, never changes the station file, and its table file holds whole
// records.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "conversion/run.h"
#include "tests/fake_os.h"

namespace {

std::string Read(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

const std::string& Folder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/tsf_fuzz_run_XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) std::abort();
    return std::string(made);
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& folder = Folder();
  const std::string station(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream file(folder + "/st", std::ios::binary | std::ios::trunc);
    file << station;
  }
  std::filesystem::remove(folder + "/st_tsf");
  tsf::testing::FakeOs os;
  // An absolute name (well within 40 characters): the working folder stays
  // where the fuzzer keeps its corpus.
  os.console_input = folder + "/st\n\n";
  const int status = tsf::RunConversion(os);
  if (status != 0 && status != 255) std::abort();
  if (Read(folder + "/st") != station) std::abort();
  const std::string table = Read(folder + "/st_tsf");
  if (!table.empty() && table.back() != '\n') std::abort();
  if (status == 0 && table.rfind(" Khasadrupchu Bhutan   ave.tmp    degrees c.\n", 0) != 0) {
    std::abort();
  }
  return 0;
}
