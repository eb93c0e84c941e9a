// The conversion run in-process, on a console made of strings, with system
// calls failing on request.
#include "conversion/run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "records/halt.h"
#include "tests/fake_os.h"
#include "tests/test_util.h"

namespace tsf {
namespace {

using testing::Call;
using testing::FakeOs;
using testing::ReadFile;
using testing::WriteFile;

// Runs a conversion with the working folder set to `folder`.
int RunIn(const testing::TempFolder& folder, FakeOs& os) {
  const std::string before = std::filesystem::current_path().string();
  std::filesystem::current_path(folder.path());
  const int status = RunConversion(os);
  std::filesystem::current_path(before);
  return status;
}

FileName Name(const std::string& text) {
  FileName name;
  name.fill(' ');
  std::copy_n(text.begin(), std::min(text.size(), name.size()), name.begin());
  return name;
}

TEST(TableFileNameTest, BaseUpToTheFirstBlankThenTheSuffix) {
  const struct {
    std::string infl;
    std::string outfl;
  } cases[] = {
      {"station.txt", "station.txt_tsf"},
      {"my data.txt", "my_tsf"},
      {"", "_tsf"},
      {"  lead", "_tsf"},
      {std::string(36, 'a'), std::string(36, 'a') + "_tsf"},
      {std::string(37, 'a'), std::string(37, 'a') + "_ts"},
      {std::string(39, 'a'), std::string(39, 'a') + "_"},
      {std::string(40, 'a'), std::string(40, 'a')},
  };
  for (const auto& c : cases) {
    const FileName outfl = TableFileName(Name(c.infl));
    EXPECT_EQ(std::string(outfl.data(), outfl.size()), std::string(Name(c.outfl).data(), 40))
        << c.infl;
  }
}

TEST(RunTest, ErrorExitAWhenTheMonthNameCannotBeRead) {
  testing::TempFolder folder;
  WriteFile(folder / "st", "1996\nOct   12.3  18.9   5.1\n");
  FakeOs os;
  os.console_input = "st\n";
  os.max_read = 5;                 // the station file comes a line at a time
  os.FailAt(Call::kRead, 3, EIO);  // the name, the year line, then the month name
  EXPECT_EQ(RunIn(folder, os), 255);
  EXPECT_EQ(os.console_output,
            std::string(testing::kPrompt) + " error on second read\n  year= 1996\n");
  EXPECT_EQ(ReadFile(folder / "st_tsf"), "");
}

TEST(RunTest, HaltAtThePromptEndsTheRunAtOnce) {
  testing::TempFolder folder;
  WriteFile(folder / "st", "1996\nOct   12.3  18.9   5.1\n");
  FakeOs os;
  os.console_input = "st\n";
  internal::halt_requested = 1;
  const int status = RunIn(folder, os);
  ClearHaltRequest();
  EXPECT_EQ(status, 0);
  EXPECT_EQ(os.console_output, testing::kPrompt);
  EXPECT_FALSE(testing::Exists(folder / "st_tsf"));
}

// A halt request noted while the station file is read: the first read of it
// notes the request, and optionally takes `delay` before it returns.
class HaltDuringReadOs : public FakeOs {
 public:
  explicit HaltDuringReadOs(std::chrono::milliseconds delay) : delay_(delay) {}
  long Read(int fd, char* buffer, std::size_t size) override {
    if (fd != 0 && !noted_) {
      noted_ = true;
      internal::halt_requested = 1;
      std::this_thread::sleep_for(delay_);
    }
    return FakeOs::Read(fd, buffer, size);
  }

 private:
  std::chrono::milliseconds delay_;
  bool noted_ = false;
};

TEST(RunTest, HaltDuringTheRunIsTakenOnce100msHavePassed) {
  const std::string station = "1996\nOct   12.3  18.9   5.1\n";
  for (const int delay : {0, 150}) {
    SCOPED_TRACE(delay);
    testing::TempFolder folder;
    WriteFile(folder / "st", station);
    WriteFile(folder / "st_tsf", "old\n");
    HaltDuringReadOs os{std::chrono::milliseconds(delay)};
    os.console_input = "st\n";
    const int status = RunIn(folder, os);
    ClearHaltRequest();
    EXPECT_EQ(status, 0);
    if (delay == 0) {
      // The whole run takes far less than 100 ms: it ends normally.
      EXPECT_NE(os.console_output.find(" Normal Termination of Program\n"), std::string::npos);
      EXPECT_NE(ReadFile(folder / "st_tsf"), "old\n");
    } else {
      // The next operation takes the request: nothing more is read or shown.
      EXPECT_EQ(os.console_output, testing::kPrompt);
      EXPECT_EQ(ReadFile(folder / "st_tsf"), "old\n");
    }
  }
}

// A station file of 108 December blocks whose lines carry long remarks, so
// that it spans several blocks of the file and monthly lines straddle them;
// its tables take several output buffers.
std::string WalkStation() {
  std::string station;
  for (int year = 1900; year <= 2007; ++year) {
    station += std::to_string(year) + " remark " + std::string(year % 50, 'y') + "\n";
    station += "Dec   1.5   2.5  -3.5 " + std::string(90 + year % 13, 'r') + "\n";
  }
  return station;
}

// Walks a failure of every system call of every kind over a whole run: the
// run must end with its report or route, leave the station file alone, and
// leave the table file either untouched or holding only whole new records.
TEST(RunTest, FailureOfAnySystemCallKeepsTheFilesSound) {
  testing::TempFolder folder;
  const std::string station = WalkStation();
  const std::string old(40000, 'o');
  WriteFile(folder / "st", station);
  WriteFile(folder / "st_tsf", old);
  FakeOs clean;
  clean.console_input = "st\n\n";
  ASSERT_EQ(RunIn(folder, clean), 0);
  const std::string tables = ReadFile(folder / "st_tsf");
  ASSERT_GT(tables.size(), 3 * 8192U);
  ASSERT_GT(clean.calls(Call::kSeek), 0);  // some step back reads the file again

  int runs = 0;
  for (int kind = 0; kind < static_cast<int>(Call::kCount); ++kind) {
    const Call call = static_cast<Call>(kind);
    for (int nth = 1; nth <= clean.calls(call); ++nth) {
      SCOPED_TRACE(::testing::Message() << "call kind " << kind << " number " << nth);
      WriteFile(folder / "st_tsf", old);
      FakeOs os;
      os.console_input = "st\n\n";
      os.FailAt(call, nth, kind == static_cast<int>(Call::kOpen) ? EACCES : EIO);
      const int status = RunIn(folder, os);
      ++runs;
      ASSERT_TRUE(status == 0 || status == 255) << status;
      ASSERT_EQ(ReadFile(folder / "st"), station);
      const std::string table = ReadFile(folder / "st_tsf");
      const bool whole_records =
          tables.compare(0, table.size(), table) == 0 && (table.empty() || table.back() == '\n');
      ASSERT_TRUE(table == old || whole_records) << "table file of " << table.size() << " bytes";
      if (status == 0) {
        // Only a console write can fail without ending the run.
        ASSERT_EQ(call, Call::kWrite);
        ASSERT_EQ(table, tables);
      } else {
        const bool reported =
            os.console_output.find("Press RETURN to quit the program.") != std::string::npos ||
            os.console_output.find(" error on second read\n") != std::string::npos;
        ASSERT_TRUE(reported) << os.console_output.substr(0, 200);
      }
    }
  }
  EXPECT_GT(runs, 200);
}

}  // namespace
}  // namespace tsf
