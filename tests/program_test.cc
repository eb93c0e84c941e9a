// Whole-program tests: the built program, run as a user runs it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "tests/test_util.h"

namespace tsf::testing {
namespace {

const std::string kFill = " -99.9";
const std::string kNormalEnd = " Normal Termination of Program\n";
const char* const kNoTableFile = "<none>";

// A table row: the year in four columns, then twelve six-column fields, the
// months not named holding the fill value.
std::string Row(const std::string& year, const std::map<int, std::string>& fields = {}) {
  std::string row = std::string(4 - year.size(), ' ') + year;
  for (int month = 1; month <= 12; ++month) {
    const auto it = fields.find(month);
    row += it == fields.end() ? kFill : it->second;
  }
  return row + "\n";
}

std::string Header(const std::string& kind) {
  return " Khasadrupchu Bhutan   " + kind + " degrees c.\n";
}

std::string Tables(const std::string& mean, const std::string& maximum,
                   const std::string& minimum) {
  return Header("ave.tmp   ") + mean + Header("mx.tmp    ") + maximum + Header("mn.tmp    ") +
         minimum;
}

// The example block: 1996 from October.
const std::string kOctoberBlock =
    "1996\n"
    "Oct   12.3  18.9   5.1\n"
    "Nov    7.4  13.0  -0.6\n"
    "Dec    3.2   9.8  -3.9\n";
const std::string kOctoberEcho =
    " 1996\n"
    " Oct      12.3  18.9   5.1\n"
    " Nov       7.4  13.0  -0.6\n"
    " Dec       3.2   9.8  -3.9\n";
const std::string kOctoberTables =
    Tables(Row("1996", {{10, "  12.3"}, {11, "   7.4"}, {12, "   3.2"}}),
           Row("1996", {{10, "  18.9"}, {11, "  13.0"}, {12, "   9.8"}}),
           Row("1996", {{10, "   5.1"}, {11, "  -0.6"}, {12, "  -3.9"}}));

// The same, followed by a row for 1997 holding the fill value only.
const std::string kOctoberTablesWith1997 =
    Tables(Row("1996", {{10, "  12.3"}, {11, "   7.4"}, {12, "   3.2"}}) + Row("1997"),
           Row("1996", {{10, "  18.9"}, {11, "  13.0"}, {12, "   9.8"}}) + Row("1997"),
           Row("1996", {{10, "   5.1"}, {11, "  -0.6"}, {12, "  -3.9"}}) + Row("1997"));

struct Conversion {
  const char* what;
  std::string station;
  std::string console;  // after the prompt
  std::string table;
  int status = 0;
};

std::string FullYear() {
  std::string file = "2001\n";
  const char* names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int m = 0; m < 12; ++m) {
    file += std::string(names[m]) + "  " + std::to_string(m) + ".5  " + std::to_string(m + 10) +
            ".0  -" + std::to_string(m) + ".2\n";
  }
  return file;
}

std::map<int, std::string> FullYearFields(int kind) {
  std::map<int, std::string> fields;
  for (int m = 0; m < 12; ++m) {
    std::string value = kind == 0   ? std::to_string(m) + ".5"
                        : kind == 1 ? std::to_string(m + 10) + ".0"
                                    : "-" + std::to_string(m) + ".2";
    if (value == "-0.2") value = "-0.2";
    fields[m + 1] = std::string(6 - value.size(), ' ') + value;
  }
  return fields;
}

std::string FullYearEcho() {
  std::string echo = " 2001\n";
  const char* names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int m = 0; m < 12; ++m) {
    echo += std::string(" ") + names[m] + "    " + FullYearFields(0)[m + 1] +
            FullYearFields(1)[m + 1] + FullYearFields(2)[m + 1] + "\n";
  }
  return echo;
}

std::vector<Conversion> Conversions() {
  return {
      {"example block", kOctoberBlock, kOctoberEcho + kNormalEnd, kOctoberTables},
      {"full year", FullYear(), FullYearEcho() + kNormalEnd,
       Tables(Row("2001", FullYearFields(0)), Row("2001", FullYearFields(1)),
              Row("2001", FullYearFields(2)))},
      {"empty file", "", kNormalEnd, Tables("", "", "")},
      {"ends after a year line", kOctoberBlock + "1997\n", kOctoberEcho + kNormalEnd,
       kOctoberTablesWith1997},
      {"ends inside a block", "1996\nJan   1.0   2.0   3.0\nFeb   4.0   5.0   6.0\n",
       " 1996\n Jan       1.0   2.0   3.0\n Feb       4.0   5.0   6.0\n" + kNormalEnd,
       Tables(Row("1996", {{1, "   1.0"}, {2, "   4.0"}}),
              Row("1996", {{1, "   2.0"}, {2, "   5.0"}}),
              Row("1996", {{1, "   3.0"}, {2, "   6.0"}}))},
      {"commas, tabs and short lines",
       "1996\nOct 12.3,18.9,5.1\nNov    7.4\t13.0\nDec   3.2   9.8\n",
       " 1996\n Oct      12.3  18.9   5.1\n Nov       7.4   0.0  13.0\n"
       " Dec       3.2   9.8   0.0\n" +
           kNormalEnd,
       Tables(Row("1996", {{10, "  12.3"}, {11, "   7.4"}, {12, "   3.2"}}),
              Row("1996", {{10, "  18.9"}, {11, "   0.0"}, {12, "   9.8"}}),
              Row("1996", {{10, "   5.1"}, {11, "  13.0"}, {12, "   0.0"}}))},
      {"a gap keeps the last year", "1996\nDec   1.0   2.0   3.0\n1998\nDec   4.0   5.0   6.0\n",
       " 1996\n Dec       1.0   2.0   3.0\n 1998\n Dec       4.0   5.0   6.0\n" + kNormalEnd,
       Tables(Row("1996", {{12, "   1.0"}}) + Row("1997") + Row("1998", {{12, "   4.0"}}),
              Row("1996", {{12, "   2.0"}}) + Row("1997") + Row("1998", {{12, "   5.0"}}),
              Row("1996", {{12, "   3.0"}}) + Row("1997") + Row("1998", {{12, "   6.0"}}))},
      {"a repeated year merges its months",
       "1996\nNov   1.0   2.0   3.0\nDec   4.0   5.0   6.0\n1996\nDec   7.0   8.0   9.0\n",
       " 1996\n Nov       1.0   2.0   3.0\n Dec       4.0   5.0   6.0\n"
       " 1996\n Dec       7.0   8.0   9.0\n" +
           kNormalEnd,
       Tables(Row("1996", {{11, "   1.0"}, {12, "   7.0"}}) + Row("1997"),
              Row("1996", {{11, "   2.0"}, {12, "   8.0"}}) + Row("1997"),
              Row("1996", {{11, "   3.0"}, {12, "   9.0"}}) + Row("1997"))},
      {"CR LF line ends and a last line without LF",
       "1996\r\nOct   12.3  18.9   5.1\r\nNov    7.4  13.0  -0.6\r\nDec    3.2   9.8  -3.9",
       kOctoberEcho + kNormalEnd, kOctoberTables},
      {"lines ended by CR alone are one record", "1996\rOct   12.3  18.9   5.1\r", kNormalEnd,
       Tables(Row("1996"), Row("1996"), Row("1996"))},
      {"a later block without a known name starts where the previous one did",
       "1996\nNov   1.0   2.0   3.0\nDec   4.0   5.0   6.0\n1997\nnov   7.0   8.0   9.0\n\n",
       " 1996\n Nov       1.0   2.0   3.0\n Dec       4.0   5.0   6.0\n"
       " 1997\n Nov       7.0   8.0   9.0\n Dec       0.0   0.0   0.0\n" +
           kNormalEnd,
       Tables(Row("1996", {{11, "   1.0"}, {12, "   4.0"}}) +
                  Row("1997", {{11, "   7.0"}, {12, "   0.0"}}),
              Row("1996", {{11, "   2.0"}, {12, "   5.0"}}) +
                  Row("1997", {{11, "   8.0"}, {12, "   0.0"}}),
              Row("1996", {{11, "   3.0"}, {12, "   6.0"}}) +
                  Row("1997", {{11, "   9.0"}, {12, "   0.0"}}))},
      {"a blank last line counts as one more year", kOctoberBlock + "\n", kOctoberEcho + kNormalEnd,
       kOctoberTablesWith1997},
      {"values that do not fit, special texts", "1996\nDec 123456   Inf  -nan\n",
       " 1996\n Dec    ******   INF  -NaN\n" + kNormalEnd,
       Tables(Row("1996", {{12, "******"}}), Row("1996", {{12, "   INF"}}),
              Row("1996", {{12, "  -NaN"}}))},
      {"error exit B: a bad value", "1996\nOct   12.3  18.9   5.1\nNov   7.4x  13.0  -0.6\n",
       " 1996\n Oct      12.3  18.9   5.1\n error on second read\n  year= 1996\n  month= Oct\n",
       kNoTableFile, 255},
      {"a year outside the grid", "2008\nJan   1.0   2.0   3.0\n",
       "? Record I/O run-time error:\n? Year outside 1 to 2007: 2008\n? READ(UNIT=69,...\n"
       "Press RETURN to quit the program.",
       kNoTableFile, 255},
      {"a blank line between blocks is year 0", kOctoberBlock + "\nJan   1.0   2.0   3.0\n",
       kOctoberEcho +
           "? Record I/O run-time error:\n? Year outside 1 to 2007: 0\n? READ(UNIT=69,...\n"
           "Press RETURN to quit the program.",
       kNoTableFile, 255},
      {"an unknown month name in the first block", "1996\njan   1.0   2.0   3.0\n",
       "? Record I/O run-time error:\n? Unknown month name: jan\n? READ(UNIT=69,...\n"
       "Press RETURN to quit the program.",
       kNoTableFile, 255},
      {"a letter in a year line", "19x6\n",
       "? Record I/O run-time error:\n? Illegal character in numeric input\n"
       "? READ(UNIT=69,...\nPress RETURN to quit the program.",
       kNoTableFile, 255},
  };
}

TEST(ProgramTest, ConvertsStationFiles) {
  for (const Conversion& c : Conversions()) {
    SCOPED_TRACE(c.what);
    ProgramCopy program;
    WriteFile(program / "station.txt", c.station);
    const RunResult run = program.Run("station.txt\n");
    EXPECT_EQ(run.out, kPrompt + c.console);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, "");
    // A run that writes no tables leaves the new table file empty.
    const std::string table = c.table == kNoTableFile ? "" : c.table;
    EXPECT_EQ(ReadFile(program / "station.txt_tsf"), table);
  }
}

TEST(ProgramTest, LargerStationFileMatchesCheckedTables) {
  ProgramCopy program;
  const std::string fixtures = std::string(TSF_SOURCE_DIR) + "/tests/fixtures/";
  WriteFile(program / "paro.txt", ReadFile(fixtures + "paro.txt"));
  const RunResult run = program.Run("paro.txt\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, ReadFile(fixtures + "paro.console"));
  EXPECT_EQ(ReadFile(program / "paro.txt_tsf"), ReadFile(fixtures + "paro.txt_tsf"));
}

TEST(ProgramTest, TableFileNameFollowsTheTypedName) {
  const struct {
    const char* typed;
    const char* station;
    const char* table;
  } cases[] = {
      {"station.txt\n", "station.txt", "station.txt_tsf"},
      {"my data.txt\n", "my data.txt", "my_tsf"},
      {"   padded.txt   \n", "padded.txt", "_tsf"},
      {"abcdefghijklmnopqrstuvwxyz0123456789AB\n", "abcdefghijklmnopqrstuvwxyz0123456789AB",
       "abcdefghijklmnopqrstuvwxyz0123456789AB_t"},
      {"abcdefghijklmnopqrstuvwxyz0123456789ABCD...more\n",
       "abcdefghijklmnopqrstuvwxyz0123456789ABCD", nullptr},  // same file: refused
      {"nolf.txt", "nolf.txt", "nolf.txt_tsf"},               // the name ended by end of input
      {"tab\tname\n", "tab     name", "tab_tsf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    ProgramCopy program;
    WriteFile(program / c.station, kOctoberBlock);
    const RunResult run = program.Run(c.typed);
    if (c.table == nullptr) {
      EXPECT_EQ(run.status, 255);
      EXPECT_EQ(ReadFile(program / c.station), kOctoberBlock);
      continue;
    }
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(ReadFile(program / c.table), kOctoberTables);
  }
  // An absolute name is not looked up in the program's folder.
  ProgramCopy program;
  TempFolder other;
  if ((other / "abs.txt").size() > 36) GTEST_SKIP() << "temporary folder's path too long";
  WriteFile(other / "abs.txt", kOctoberBlock);
  EXPECT_EQ(program.Run(other / "abs.txt\n").status, 0);
  EXPECT_EQ(ReadFile(other / "abs.txt_tsf"), kOctoberTables);
}

TEST(ProgramTest, NewTableFileModeFollowsTheUmask) {
  ProgramCopy program;
  WriteFile(program / "station.txt", kOctoberBlock);
  const mode_t old_mask = umask(027);
  const RunResult run = program.Run("station.txt\n");
  umask(old_mask);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ModeOf(program / "station.txt_tsf"), 0640U);
  WriteFile(program / "second.txt", kOctoberBlock);
  const mode_t open_mask = umask(0);
  EXPECT_EQ(program.Run("second.txt\n").status, 0);
  umask(open_mask);
  EXPECT_EQ(ModeOf(program / "second.txt_tsf"), 0664U);
}

TEST(ProgramTest, ExistingTableFileHoldsExactlyTheNewTables) {
  ProgramCopy program;
  WriteFile(program / "station.txt", kOctoberBlock);
  const std::string old(20000, 'x');
  WriteFile(program / "station.txt_tsf", old);
  ASSERT_EQ(program.Run("station.txt\n").status, 0);
  EXPECT_EQ(ReadFile(program / "station.txt_tsf"), kOctoberTables);
  // A run that writes no tables leaves an existing table file untouched.
  WriteFile(program / "station.txt_tsf", old);
  WriteFile(program / "station.txt", "19x6\n");
  ASSERT_EQ(program.Run("station.txt\n").status, 255);
  EXPECT_EQ(ReadFile(program / "station.txt_tsf"), old);
}

TEST(ProgramTest, TablesLongerThanTheOutputBufferReachTheFileWhole) {
  ProgramCopy program;
  std::string station;
  std::string mean;
  for (int year = 1800; year < 1900; ++year) {
    station += std::to_string(year) + "\nDec   1.5   2.5   3.5\n";
    mean += Row(std::to_string(year), {{12, "   1.5"}});
  }
  WriteFile(program / "long.txt", station);
  WriteFile(program / "long.txt_tsf", std::string(50000, 'o'));
  ASSERT_EQ(program.Run("long.txt\n").status, 0);
  const std::string table = ReadFile(program / "long.txt_tsf");
  EXPECT_EQ(table.size(), 3 * 45 + 3 * 100 * 77U);
  EXPECT_EQ(table.substr(0, 45 + mean.size()), Header("ave.tmp   ") + mean);
}

struct FailureCase {
  const char* what;
  std::string typed;
  std::string report;  // the three "? " lines
};

TEST(ProgramTest, RunStoppingFailuresReportAndWait) {
  const FailureCase cases[] = {
      {"blank name", "\n",
       "? Record I/O run-time error:\n? Bad file specification\n? OPEN(UNIT=69,...\n"},
      {"missing station file", "missing.txt\n",
       "? System Error:\n? No such file or directory\n? OPEN(UNIT=69,...\n"},
      {"name holding a NUL", std::string("station.txt\0junk\n", 17),
       "? Record I/O run-time error:\n? Bad file specification\n? OPEN(UNIT=69,...\n"},
      {"end of input at the prompt", "",
       "? Record I/O run-time error:\n? Attempt to read past end of file\n? READ(UNIT=*,...\n"},
      {"a folder as the station file", "sub\n",
       "? System Error:\n? Is a directory\n? READ(UNIT=69,...\n"},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramCopy program;
    WriteFile(program / "station.txt", kOctoberBlock);
    mkdir((program / "sub").c_str(), 0755);
    const RunResult run = program.Run(c.typed);
    EXPECT_EQ(run.out, kPrompt + c.report + "Press RETURN to quit the program.");
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(ReadFile(program / "station.txt"), kOctoberBlock);
  }
}

TEST(ProgramTest, TableFileThatCannotBeCreated) {
  const struct {
    const char* what;
    const char* report;
  } cases[] = {
      {"its folder does not exist",
       "? System Error:\n? No such file or directory\n? OPEN(UNIT=70,...\n"},
      {"it is a folder", "? System Error:\n? Is a directory\n? OPEN(UNIT=70,...\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramCopy program;
    WriteFile(program / "station.txt", kOctoberBlock);
    if (std::string(c.what) == "it is a folder") {
      mkdir((program / "station.txt_tsf").c_str(), 0755);
    } else {
      ASSERT_EQ(symlink("missing/folder/t", (program / "station.txt_tsf").c_str()), 0);
    }
    const RunResult run = program.Run("station.txt\n");
    EXPECT_EQ(run.out, kPrompt + std::string(c.report) + "Press RETURN to quit the program.");
    EXPECT_EQ(run.status, 255);
  }
}

TEST(ProgramTest, FullDeviceAsTableFileFailsTheWrite) {
  ProgramCopy program;
  WriteFile(program / "station.txt", kOctoberBlock);
  ASSERT_EQ(symlink("/dev/full", (program / "station.txt_tsf").c_str()), 0);
  const RunResult run = program.Run("station.txt\n");
  EXPECT_EQ(run.out, kPrompt + kOctoberEcho +
                         "? System Error:\n? No space left on device\n? WRITE(UNIT=70,...\n"
                         "Press RETURN to quit the program.");
  EXPECT_EQ(run.status, 255);
}

TEST(ProgramTest, NeverWritesIntoTheStationFile) {
  const struct {
    const char* what;
    const char* station;
    const char* typed;
    const char* link;  // a link to the station file, made first, or null
  } cases[] = {
      {"forty-character base", "abcdefghijklmnopqrstuvwxyz0123456789ABCD",
       "abcdefghijklmnopqrstuvwxyz0123456789ABCD\n", nullptr},
      {"leading blank names the station file _tsf", "_tsf", " _tsf\n", nullptr},
      {"the table file's name is a link to it", "station.txt", "station.txt\n", "station.txt_tsf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramCopy program;
    WriteFile(program / c.station, kOctoberBlock);
    if (c.link != nullptr) {
      ASSERT_EQ(symlink(c.station, (program / c.link).c_str()), 0);
    }
    struct stat before {};
    stat((program / c.station).c_str(), &before);
    const RunResult run = program.Run(c.typed);
    EXPECT_EQ(run.out, std::string(kPrompt) +
                           "? Record I/O run-time error:\n? Table file would replace the station "
                           "file\n? OPEN(UNIT=70,...\nPress RETURN to quit the program.");
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(ReadFile(program / c.station), kOctoberBlock);
    struct stat after {};
    stat((program / c.station).c_str(), &after);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  }
}

TEST(ProgramTest, LinkToAMissingFileCreatesIt) {
  ProgramCopy program;
  WriteFile(program / "station.txt", kOctoberBlock);
  ASSERT_EQ(symlink("made.txt", (program / "station.txt_tsf").c_str()), 0);
  EXPECT_EQ(program.Run("station.txt\n").status, 0);
  EXPECT_EQ(ReadFile(program / "made.txt"), kOctoberTables);
}

TEST(ProgramTest, ClosedStandardOutputChangesNothing) {
  ProgramCopy program;
  WriteFile(program / "station.txt", kOctoberBlock);
  const std::string command = "echo station.txt | '" + program.program() + "' >&-; echo $?";
  FILE* shell = popen(command.c_str(), "r");
  ASSERT_NE(shell, nullptr);
  char status[16] = {};
  ASSERT_NE(fgets(status, sizeof status, shell), nullptr);
  pclose(shell);
  EXPECT_STREQ(status, "0\n");
  EXPECT_EQ(ReadFile(program / "station.txt_tsf"), kOctoberTables);
}

}  // namespace
}  // namespace tsf::testing
