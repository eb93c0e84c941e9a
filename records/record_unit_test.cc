#include "records/record_unit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fake_os.h"
#include "tests/test_util.h"

namespace tsf {
namespace {

using testing::Call;
using testing::FakeOs;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

std::string Name40(const std::string& path) {
  return path + std::string(40 - std::min<std::size_t>(40, path.size()), ' ');
}

class RecordUnitTest : public ::testing::Test {
 protected:
  // Connects a unit to `name` in the test's folder. The name may be longer
  // than 40 characters: the folder's path comes first.
  RecordUnit& Open(const std::string& name, OpenStatus status, int number = 69) {
    const std::string path = folder_ / name;
    Status connected = units_.Connect(number, path, status);
    EXPECT_TRUE(connected.ok()) << (connected.failed() ? connected.failure().Report() : "");
    return *units_.Find(number);
  }

  std::vector<std::string> ReadAll(RecordUnit& unit) {
    std::vector<std::string> records;
    for (;;) {
      std::string_view record;
      bool end = false;
      EXPECT_TRUE(unit.ReadRecord(&record, &end).ok());
      if (end) return records;
      records.emplace_back(record);
    }
  }

  std::string ReadOne(RecordUnit& unit) {
    std::string_view record;
    bool end = false;
    EXPECT_TRUE(unit.ReadRecord(&record, &end).ok());
    EXPECT_FALSE(end);
    return std::string(record);
  }

  TempFolder folder_;
  FakeOs os_;
  Units units_{os_};
};

TEST_F(RecordUnitTest, CutsRecordsOutOfTheBytes) {
  const struct {
    std::string bytes;
    std::vector<std::string> records;
  } cases[] = {
      {"", {}},
      {"a\nb\n", {"a", "b"}},
      {"\n\n", {"", ""}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\n", {"ab"}},
      {"last", {"last"}},  // a last line without LF is kept
      {"x\nlast\r", {"x", "last"}},
      {"\r", {}},              // only CRs after the last LF: no record
      {"a\rb\rc\r", {"abc"}},  // CR alone ends no line
      {"\tx\n", {"        x"}},
      {"abc\tx\n", {"abc     x"}},
      {"abcdefgh\t\n", {"abcdefgh        "}},
      {"a\t\tb\n", {"a               b"}},
      {std::string("n\0l\xff\x80\n", 6), {std::string("n\0l\xff\x80", 5)}},
  };
  for (const auto& c : cases) {
    WriteFile(folder_ / "in", c.bytes);
    RecordUnit& unit = Open("in", OpenStatus::kOld);
    EXPECT_EQ(ReadAll(unit), c.records) << ::testing::PrintToString(c.bytes);
    ASSERT_TRUE(units_.Disconnect(69).ok());
  }
}

TEST_F(RecordUnitTest, EveryReadAfterTheEndReportsTheEndAgain) {
  WriteFile(folder_ / "in", "1996\n");
  RecordUnit& unit = Open("in", OpenStatus::kOld);
  EXPECT_EQ(ReadOne(unit), "1996");
  for (int i = 0; i < 10; ++i) {
    std::string_view record;
    bool end = false;
    ASSERT_TRUE(unit.ReadRecord(&record, &end).ok());
    EXPECT_TRUE(end);
  }
  // A step back after the end gives nothing back.
  ASSERT_TRUE(unit.StepBack().ok());
  std::string_view record;
  bool end = false;
  ASSERT_TRUE(unit.ReadRecord(&record, &end).ok());
  EXPECT_TRUE(end);
}

TEST_F(RecordUnitTest, StepBackDeliversTheSameRecordWhereverItLies) {
  // Records placed around the 8192-byte blocks in which the file is read.
  const std::string filler(8190, 'f');
  const struct {
    const char* what;
    std::string before;  // whole records before the one stepped back over
    std::string record;  // its bytes as they stand in the file, with LF
    std::string read;    // the record as read
  } cases[] = {
      {"at the start", "", "Oct 1\n", "Oct 1"},
      {"straddling a block's end", filler.substr(0, 8188) + "\n", "Oct\t12.3\r\n", "Oct     12.3"},
      {"starting at a block's start", filler + "\n", "Nov 7.4\n", "Nov 7.4"},
      {"ending at a block's end", filler.substr(0, 8185) + "\n", "Dec 1\n", "Dec 1"},
      {"longer than several blocks", "short\n", std::string(30000, 'L') + "\t\n",
       std::string(30000, 'L') + std::string(8, ' ')},
      {"without LF at the end", "x\n", "tail", "tail"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const bool has_lf = c.record.back() == '\n';
    WriteFile(folder_ / "in", c.before + c.record + (has_lf ? "next\n" : ""));
    RecordUnit& unit = Open("in", OpenStatus::kOld);
    const std::size_t records_before = std::count(c.before.begin(), c.before.end(), '\n');
    for (std::size_t i = 0; i < records_before; ++i) ReadOne(unit);
    EXPECT_EQ(ReadOne(unit), c.read);
    ASSERT_TRUE(unit.StepBack().ok());
    EXPECT_EQ(ReadOne(unit), c.read);
    if (has_lf) {
      EXPECT_EQ(ReadOne(unit), "next");
    }
    ASSERT_TRUE(units_.Disconnect(69).ok());
  }
}

TEST_F(RecordUnitTest, WrittenBytesReachTheFileByFullBuffersAndReplaceOldContent) {
  WriteFile(folder_ / "out", std::string(20000, 'o'));
  RecordUnit& unit = Open("out", OpenStatus::kUnknown, 70);
  const std::string record(99, 'r');  // 100 bytes with its LF
  for (int i = 0; i < 81; ++i) ASSERT_TRUE(unit.WriteRecord(record, true).ok());
  // 8100 bytes wait in the buffer: the old content is still whole.
  EXPECT_EQ(ReadFile(folder_ / "out"), std::string(20000, 'o'));
  ASSERT_TRUE(unit.WriteRecord(record, true).ok());
  // The first full buffer replaces the old content and cuts the file there.
  EXPECT_EQ(ReadFile(folder_ / "out").size(), 8192U);
  ASSERT_TRUE(units_.Disconnect(70).ok());
  std::string expected;
  for (int i = 0; i < 82; ++i) expected += record + "\n";
  EXPECT_EQ(ReadFile(folder_ / "out"), expected);
  EXPECT_EQ(os_.calls(Call::kTruncate), 1);
}

TEST_F(RecordUnitTest, AUnitThatWritesNothingLeavesTheFileUntouched) {
  WriteFile(folder_ / "out", "old content\n");
  Open("out", OpenStatus::kUnknown, 70);
  ASSERT_TRUE(units_.Disconnect(70).ok());
  EXPECT_EQ(ReadFile(folder_ / "out"), "old content\n");
  Open("new", OpenStatus::kUnknown, 70);
  ASSERT_TRUE(units_.Disconnect(70).ok());
  EXPECT_TRUE(testing::Exists(folder_ / "new"));
  EXPECT_EQ(ReadFile(folder_ / "new"), "");
}

TEST_F(RecordUnitTest, CrIsDroppedOnOutputAndNoAdvanceLeavesTheLineOpen) {
  RecordUnit& unit = Open("out", OpenStatus::kUnknown, 70);
  ASSERT_TRUE(unit.WriteRecord("a\rb", true).ok());
  ASSERT_TRUE(unit.WriteRecord("open", false).ok());
  ASSERT_TRUE(unit.WriteRecord("", true).ok());
  ASSERT_TRUE(units_.Disconnect(70).ok());
  EXPECT_EQ(ReadFile(folder_ / "out"), "ab\nopen\n");
}

TEST_F(RecordUnitTest, DevicesAndTheConsoleGetEachRecordAtOnce) {
  ASSERT_TRUE(units_.Connect(70, "/dev/null", OpenStatus::kUnknown).ok());
  RecordUnit& device = *units_.Find(70);
  EXPECT_TRUE(device.is_device());
  const int before = os_.calls(Call::kWrite);
  ASSERT_TRUE(device.WriteRecord("one", true).ok());
  ASSERT_TRUE(device.WriteRecord("two", true).ok());
  EXPECT_EQ(os_.calls(Call::kWrite) - before, 2);
  EXPECT_EQ(os_.calls(Call::kTruncate), 0);  // a device is never cut

  RecordUnit& console = units_.console();
  ASSERT_TRUE(console.AttachConsole().ok());
  ASSERT_TRUE(console.WriteRecord(" prompt : ", false).ok());
  EXPECT_EQ(os_.console_output, " prompt : ");
  ASSERT_TRUE(console.WriteRecord(" echo", true).ok());
  EXPECT_EQ(os_.console_output, " prompt :  echo\n");
}

TEST_F(RecordUnitTest, InterruptedAndShortCallsAreRetried) {
  os_.max_write = 7;
  os_.max_read = 5;
  os_.eintr_every = 3;
  std::string lines;
  for (int i = 0; i < 500; ++i) lines += "line " + std::to_string(i) + "\n";
  WriteFile(folder_ / "in", lines);
  RecordUnit& in = Open("in", OpenStatus::kOld);
  RecordUnit& out = Open("out", OpenStatus::kUnknown, 70);
  for (int i = 0; i < 500; ++i) {
    const std::string record = ReadOne(in);
    if (i == 250) {
      ASSERT_TRUE(in.StepBack().ok());
      ASSERT_EQ(ReadOne(in), record);
    }
    ASSERT_TRUE(out.WriteRecord(record, true).ok());
  }
  ASSERT_TRUE(units_.DisconnectAll().ok());
  EXPECT_EQ(ReadFile(folder_ / "out"), lines);
}

std::string ScenarioSteps(Units& units, const TempFolder& folder);

// Reads a long record (over two blocks), steps back over it, reads it again,
// writes 100 records of 100 bytes to a table file holding old content, and
// disconnects both. Returns the first failure's report, or "".
std::string Scenario(FakeOs& os, const TempFolder& folder) {
  Units units(os);
  const std::string report = ScenarioSteps(units, folder);
  (void)units.DisconnectAll();  // as the run's end does
  return report;
}

std::string ScenarioSteps(Units& units, const TempFolder& folder) {
  const auto report = [](const Status& status) { return status.failure().Report(); };
  std::string_view line;
  bool end = false;
  if (Status s = units.Connect(69, folder / "in", OpenStatus::kOld); !s.ok()) return report(s);
  if (Status s = units.Connect(70, folder / "out", OpenStatus::kUnknown); !s.ok()) return report(s);
  RecordUnit& in = *units.Find(69);
  RecordUnit& out = *units.Find(70);
  if (Status s = in.ReadRecord(&line, &end); !s.ok()) return report(s);
  if (Status s = in.StepBack(); !s.ok()) return report(s);
  if (Status s = in.ReadRecord(&line, &end); !s.ok()) return report(s);
  for (int i = 0; i < 100; ++i) {
    if (Status s = out.WriteRecord(std::string(99, 'r'), true); !s.ok()) return report(s);
  }
  if (Status s = units.Disconnect(69); !s.ok()) return report(s);
  if (Status s = units.Disconnect(70); !s.ok()) return report(s);
  return "";
}

std::string Records(int count) {
  std::string records;
  for (int i = 0; i < count; ++i) records += std::string(99, 'r') + "\n";
  return records;
}

TEST(RecordUnitFailureTest, FailuresCarryTheirStatementAndUnitAndKeepTheTableWhole) {
  TempFolder folder;
  const std::string old(30000, 'o');
  const std::string io_error = "? System Error:\n? Input/output error\n";
  const struct {
    const char* what;
    Call call;
    int nth;
    std::string report;
    std::string table;  // the table file afterwards
  } cases[] = {
      {"no failure", Call::kCount, 0, "", Records(100)},
      {"opening", Call::kOpen, 1, "? System Error:\n? Permission denied\n? OPEN(UNIT=69,...\n",
       old},
      {"reading", Call::kRead, 2, io_error + "? READ(UNIT=69,...\n", old},
      {"seeking back", Call::kSeek, 1, io_error + "? BACKSPACE(UNIT=69,...\n", old},
      {"reading back", Call::kRead, 3, io_error + "? BACKSPACE(UNIT=69,...\n", old},
      {"the first full buffer", Call::kWrite, 1, io_error + "? WRITE(UNIT=70,...\n", ""},
      {"the cut", Call::kTruncate, 1,
       "? Record I/O run-time error:\n"
       "? Unable to truncate file after rewind, backspace, or endfile\n? WRITE(UNIT=70,...\n",
       old},
      {"the rest at disconnection", Call::kWrite, 2, io_error + "? CLOSE(UNIT=70,...\n",
       Records(81)},
      {"closing", Call::kClose, 1, io_error + "? CLOSE(UNIT=69,...\n", Records(100)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(folder / "in", std::string(10000, 'a') + "\nb\n");
    WriteFile(folder / "out", old);
    FakeOs os;
    os.FailAt(c.call, c.nth, c.call == Call::kOpen ? EACCES : EIO);
    EXPECT_EQ(Scenario(os, folder), c.report);
    const std::string table = ReadFile(folder / "out");
    EXPECT_TRUE(table == c.table) << "size " << table.size() << ", expected " << c.table.size()
                                  << ", begins " << table.substr(0, 8);
  }
}

TEST(UnitsTest, DisconnectAllKeepsTheFirstWriteFailureAndIgnoresFailedCloses) {
  TempFolder folder;
  FakeOs os;
  Units units(os);
  ASSERT_TRUE(units.Connect(70, folder / "a", OpenStatus::kUnknown).ok());
  ASSERT_TRUE(units.Connect(71, folder / "b", OpenStatus::kUnknown).ok());
  ASSERT_TRUE(units.Find(70)->WriteRecord("to a", true).ok());
  ASSERT_TRUE(units.Find(71)->WriteRecord("to b", true).ok());
  os.FailAt(Call::kClose, 1, EIO);  // closing unit 70, connected first
  EXPECT_TRUE(units.DisconnectAll().ok());
  EXPECT_EQ(ReadFile(folder / "a"), "to a\n");
  EXPECT_EQ(ReadFile(folder / "b"), "to b\n");
  EXPECT_EQ(units.Find(70), nullptr);

  ASSERT_TRUE(units.Connect(70, folder / "a", OpenStatus::kUnknown).ok());
  ASSERT_TRUE(units.Find(70)->WriteRecord("again", true).ok());
  os.FailAt(Call::kWrite, os.calls(Call::kWrite) + 1, ENOSPC);
  const Status status = units.DisconnectAll();
  ASSERT_TRUE(status.failed());
  EXPECT_EQ(status.failure().Report(), "? System Error:\n? No space left on device\n");
  // The file was cut for its new records, and none of them reached it.
  EXPECT_EQ(ReadFile(folder / "a"), "");
}

TEST(NameToPathTest, BlanksAroundTheNameGo) {
  const struct {
    std::string name;
    bool ok;
    const char* path;
  } cases[] = {
      {Name40("station.txt"), true, "station.txt"},
      {Name40("   station.txt"), true, "station.txt"},
      {Name40("my data.txt"), true, "my data.txt"},
      {Name40("\tstation"), true, "\tstation"},  // only code 32 is a blank here
      {Name40(""), false, ""},
      {Name40(std::string("a\0b", 3)), false, ""},
      {Name40(std::string("\0", 1)), false, ""},
  };
  for (const auto& c : cases) {
    std::string path;
    EXPECT_EQ(NameToPath(c.name, &path), c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(path, c.path);
    }
  }
}

}  // namespace
}  // namespace tsf
