// Halt requests sent to the running program as real signals, and the
// dialogue in a real terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/test_util.h"

namespace tsf::testing {
namespace {

const std::string kBlock = "1996\nOct   12.3  18.9   5.1\nNov    7.4  13.0  -0.6\n";

// Waits until `read_more` has gathered text that holds `wanted`; false after
// ten seconds.
template <typename ReadMore>
bool WaitFor(const std::string& wanted, std::string* seen, ReadMore read_more) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (seen->find(wanted) == std::string::npos) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    if (!read_more(seen)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// The child's exit status; a child still running after ten seconds is
// killed and reported as -1.
int ExitStatus(pid_t child) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Starts the program with its standard input and output on pipes.
struct Started {
  pid_t pid;
  int input;   // the program's standard input, to write to
  int output;  // its standard output, to read from
};

Started Start(const ProgramCopy& program) {
  int in[2];
  int out[2];
  EXPECT_EQ(pipe(in), 0);
  EXPECT_EQ(pipe(out), 0);
  const pid_t child = fork();
  if (child == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[1]);
    close(out[0]);
    execl(program.program().c_str(), program.program().c_str(), static_cast<char*>(nullptr));
    _exit(121);
  }
  close(in[0]);
  close(out[1]);
  fcntl(out[0], F_SETFL, O_NONBLOCK);
  return {child, in[1], out[0]};
}

bool ReadSome(int fd, std::string* seen) {
  char buffer[4096];
  const ssize_t got = read(fd, buffer, sizeof buffer);
  if (got <= 0) return false;
  seen->append(buffer, static_cast<std::size_t>(got));
  return true;
}

TEST(HaltTest, SignalAtThePromptEndsTheRunSilently) {
  for (const int signal : {SIGINT, SIGHUP, SIGQUIT, SIGTERM}) {
    SCOPED_TRACE(signal);
    ProgramCopy program;
    WriteFile(program / "station.txt", kBlock);
    const Started run = Start(program);
    std::string seen;
    ASSERT_TRUE(WaitFor(kPrompt, &seen, [&](std::string* s) { return ReadSome(run.output, s); }));
    kill(run.pid, signal);
    EXPECT_EQ(ExitStatus(run.pid), 0);
    while (ReadSome(run.output, &seen)) {
    }
    EXPECT_EQ(seen, kPrompt);
    EXPECT_FALSE(Exists(program / "station.txt_tsf"));
    close(run.input);
    close(run.output);
  }
}

TEST(HaltTest, SignalDuringTheReadKeepsTheTableFileUntouched) {
  ProgramCopy program;
  // A pipe as the station file: the run waits in its read for more lines.
  ASSERT_EQ(mkfifo((program / "station.txt").c_str(), 0644), 0);
  WriteFile(program / "station.txt_tsf", "old tables\n");
  const Started run = Start(program);
  ASSERT_EQ(write(run.input, "station.txt\n", 12), 12);
  const int feed = open((program / "station.txt").c_str(), O_WRONLY);
  ASSERT_GE(feed, 0);
  ASSERT_EQ(write(feed, kBlock.data(), kBlock.size()), static_cast<ssize_t>(kBlock.size()));
  std::string seen;
  ASSERT_TRUE(WaitFor(" Nov ", &seen, [&](std::string* s) { return ReadSome(run.output, s); }));
  kill(run.pid, SIGTERM);
  EXPECT_EQ(ExitStatus(run.pid), 0);
  while (ReadSome(run.output, &seen)) {
  }
  EXPECT_EQ(seen, std::string(kPrompt) +
                      " 1996\n Oct      12.3  18.9   5.1\n"
                      " Nov       7.4  13.0  -0.6\n");
  EXPECT_EQ(ReadFile(program / "station.txt_tsf"), "old tables\n");
  close(feed);
  close(run.input);
  close(run.output);
}

TEST(PipeTest, StationFileFromAPipeArrivingInPieces) {
  // A program that stops reading must not take the test down with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);
  ProgramCopy program;
  ASSERT_EQ(mkfifo((program / "station.txt").c_str(), 0644), 0);
  const Started run = Start(program);
  ASSERT_EQ(write(run.input, "station.txt\n", 12), 12);
  close(run.input);
  const int feed = open((program / "station.txt").c_str(), O_WRONLY);
  ASSERT_GE(feed, 0);
  // Each piece ends inside a line, so that the month-name line that the run
  // steps back over spans two reads of the pipe.
  for (const std::string piece :
       {"1996\nO", "ct   12.3  18.9   5.1\nNov    7.4  13.0", "  -0.6\n"}) {
    EXPECT_EQ(write(feed, piece.data(), piece.size()), static_cast<ssize_t>(piece.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
  close(feed);
  EXPECT_EQ(ExitStatus(run.pid), 0);
  std::string seen;
  while (ReadSome(run.output, &seen)) {
  }
  EXPECT_EQ(seen, std::string(kPrompt) +
                      " 1996\n Oct      12.3  18.9   5.1\n"
                      " Nov       7.4  13.0  -0.6\n"
                      " Normal Termination of Program\n");
  close(run.output);
}

// One step of a dialogue: wait until the terminal shows `shown`, then type.
struct Step {
  std::string shown;
  std::string keys;
};

// Runs the program on a pseudo-terminal through the steps. Returns what the
// terminal showed and the exit status.
std::pair<std::string, int> OnTerminal(const ProgramCopy& program, const std::vector<Step>& steps) {
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child == 0) {
    execl(program.program().c_str(), program.program().c_str(), static_cast<char*>(nullptr));
    _exit(121);
  }
  fcntl(terminal, F_SETFL, O_NONBLOCK);
  std::string shown;
  const auto read_terminal = [&](std::string* s) { return ReadSome(terminal, s); };
  for (const Step& step : steps) {
    EXPECT_TRUE(WaitFor(step.shown, &shown, read_terminal)) << shown;
    // Let the program reach its read: an interrupt drops typed input that
    // has not been read yet.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(write(terminal, step.keys.data(), step.keys.size()),
              static_cast<ssize_t>(step.keys.size()));
  }
  const int status = ExitStatus(child);
  while (ReadSome(terminal, &shown)) {
  }
  close(terminal);
  return {shown, status};
}

constexpr const char* kTerminalPrompt = "Enter input file name : ";

TEST(TerminalTest, CtrlCAtThePromptEndsTheRun) {
  ProgramCopy program;
  WriteFile(program / "station.txt", kBlock);
  const auto [shown, status] = OnTerminal(program, {{kTerminalPrompt, "\x03"}});
  EXPECT_EQ(status, 0);
  EXPECT_EQ(shown.find("Press RETURN"), std::string::npos);
  EXPECT_FALSE(Exists(program / "station.txt_tsf"));
}

TEST(TerminalTest, TypedNameIsConvertedAndTheEchoStartsOnItsOwnLine) {
  ProgramCopy program;
  WriteFile(program / "station.txt", kBlock);
  const auto [shown, status] = OnTerminal(program, {{kTerminalPrompt, "station.txt\r"}});
  EXPECT_EQ(status, 0);
  // The terminal shows the prompt, the typed name and its line end, then
  // the echo.
  EXPECT_NE(shown.find(" Enter input file name : station.txt\r\n 1996\r\n"), std::string::npos)
      << shown;
  EXPECT_NE(shown.find(" Normal Termination of Program"), std::string::npos);
  EXPECT_TRUE(Exists(program / "station.txt_tsf"));
}

TEST(TerminalTest, FailureReportWaitsForReturnAndIgnoresCtrlC) {
  ProgramCopy program;
  const auto [shown, status] = OnTerminal(program, {{kTerminalPrompt, "missing.txt\r"},
                                                    {"Press RETURN to quit the program.", "\x03"},
                                                    {"^C", "\r"}});
  EXPECT_EQ(status, 255);
  EXPECT_NE(shown.find("? No such file or directory\r\n? OPEN(UNIT=69,...\r\n"
                       "Press RETURN to quit the program."),
            std::string::npos)
      << shown;
}

}  // namespace
}  // namespace tsf::testing
