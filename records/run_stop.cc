#include "records/run_stop.h"

#include <cerrno>
#include <string>

namespace tsf {

namespace {

constexpr int kStandardError = 2;
constexpr const char* kClosingPrompt = "Press RETURN to quit the program.";

}  // namespace

int FailRun(Units& units, const Failure& failure) {
  // The file units come first: each file keeps what was written to it.
  // A failure to write their remaining output replaces the first report.
  Status disconnected = units.DisconnectAll();
  const Failure& reported = disconnected.failed() ? disconnected.failure() : failure;
  RecordUnit& console = units.console();
  const std::string report = reported.Report();
  // Console writes never fail; each report line is one record.
  std::size_t start = 0;
  while (start < report.size()) {
    const std::size_t end = report.find('\n', start);
    (void)console.WriteRecord(std::string_view(report).substr(start, end - start), true);
    start = end + 1;
  }
  (void)console.WriteRecord(kClosingPrompt, false);
  console.set_take_halts(false);
  std::string_view line;
  bool end = false;
  (void)console.ReadRecord(&line, &end);  // what is typed is not used
  return kExitFailure;
}

int StopRun(Units& units, int exit_status) {
  Status disconnected = units.DisconnectAll();
  if (!disconnected.failed()) return exit_status;
  // The console has ended: the report goes to standard error, once.
  const std::string lines = disconnected.failure().HeaderAndMessage();
  std::size_t done = 0;
  while (done < lines.size()) {
    const long wrote = units.os().Write(kStandardError, lines.data() + done, lines.size() - done);
    if (wrote <= 0 && wrote != -EINTR) break;
    if (wrote > 0) done += static_cast<std::size_t>(wrote);
  }
  return kExitFailure;
}

int EndRun(Units& units, const Status& status, int exit_status) {
  if (status.failed()) return FailRun(units, status.failure());
  return StopRun(units, status.halted() ? 0 : exit_status);
}

}  // namespace tsf
