#include "records/run_stop.h"

#include <gtest/gtest.h>

#include "tests/fake_os.h"
#include "tests/test_util.h"

namespace tsf {
namespace {

using testing::Call;
using testing::FakeOs;
using testing::ReadFile;

constexpr const char* kClosingPrompt = "Press RETURN to quit the program.";

class RunStopTest : public ::testing::Test {
 protected:
  RunStopTest() {
    EXPECT_TRUE(units_.console().AttachConsole().ok());
    EXPECT_TRUE(units_.Connect(70, folder_ / "table", OpenStatus::kUnknown).ok());
    EXPECT_TRUE(units_.Find(70)->WriteRecord("a completed record", true).ok());
  }

  testing::TempFolder folder_;
  FakeOs os_;
  Units units_{os_};
};

TEST_F(RunStopTest, FailRunDisconnectsReportsAndWaitsForOneLine) {
  os_.console_input = "typed\nnot read\n";
  const int status = FailRun(units_, Failure::System(ENOENT, Statement::kOpen, 69));
  EXPECT_EQ(status, 255);
  EXPECT_EQ(os_.console_output, std::string("? System Error:\n? No such file or directory\n"
                                            "? OPEN(UNIT=69,...\n") +
                                    kClosingPrompt);
  EXPECT_EQ(ReadFile(folder_ / "table"), "a completed record\n");
  EXPECT_EQ(os_.calls(Call::kRead), 1);  // one line, whatever it holds
}

TEST_F(RunStopTest, FailureWhileFailRunDisconnectsReplacesTheReport) {
  os_.FailAt(Call::kWrite, 1, ENOSPC);
  EXPECT_EQ(FailRun(units_, Failure::Layer(kReadPastEnd, Statement::kRead, kConsoleUnit)), 255);
  EXPECT_EQ(os_.console_output,
            std::string("? System Error:\n? No space left on device\n") + kClosingPrompt);
}

TEST_F(RunStopTest, FailRunIgnoresHaltRequestsAtTheClosingPrompt) {
  internal::halt_requested = 1;
  os_.console_input = "\n";
  EXPECT_EQ(FailRun(units_, Failure::Layer(kBadFileName, Statement::kOpen, 69)), 255);
  ClearHaltRequest();
  EXPECT_EQ(os_.calls(Call::kRead), 1);
}

TEST_F(RunStopTest, StopRunDisconnectsSilently) {
  EXPECT_EQ(StopRun(units_, 0), 0);
  EXPECT_EQ(os_.console_output, "");
  EXPECT_EQ(os_.error_output, "");
  EXPECT_EQ(ReadFile(folder_ / "table"), "a completed record\n");
}

TEST_F(RunStopTest, FailureWhileStopRunDisconnectsGoesToStandardErrorOnce) {
  os_.FailAt(Call::kWrite, 1, EIO);
  EXPECT_EQ(StopRun(units_, 0), 255);
  EXPECT_EQ(os_.console_output, "");
  EXPECT_EQ(os_.error_output, "? System Error:\n? Input/output error\n");
}

TEST(FailureTest, ReportLines) {
  const struct {
    Failure failure;
    const char* report;
  } cases[] = {
      {Failure::Layer(kBadFileName, Statement::kOpen, 69),
       "? Record I/O run-time error:\n? Bad file specification\n? OPEN(UNIT=69,...\n"},
      {Failure::Layer(kReadPastEnd, Statement::kRead, kConsoleUnit),
       "? Record I/O run-time error:\n? Attempt to read past end of file\n? READ(UNIT=*,...\n"},
      {Failure::System(EIO, Statement::kBackspace, 69),
       "? System Error:\n? Input/output error\n? BACKSPACE(UNIT=69,...\n"},
      {Failure::System(ENOSPC, Statement::kWrite, 70),
       "? System Error:\n? No space left on device\n? WRITE(UNIT=70,...\n"},
      {Failure::Layer(kUnableToTruncate, Statement::kClose, 70),
       "? Record I/O run-time error:\n"
       "? Unable to truncate file after rewind, backspace, or endfile\n? CLOSE(UNIT=70,...\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.failure.Report(), c.report);
  Failure during = Failure::System(EIO, Statement::kClose, 70);
  during.during_disconnection = true;
  EXPECT_EQ(during.Report(), "? System Error:\n? Input/output error\n");
}

}  // namespace
}  // namespace tsf
