// Outcomes of record-layer operations.
//
// Every operation of the record layer returns a Status. A Status is ok, a
// halt (the user asked the run to stop), or a failure that stops the run. A
// failure carries everything that the failure report shows: its kind, its
// message (a fixed text or an errno), the statement and the unit.
#ifndef TSF_RECORDS_STATUS_H_
#define TSF_RECORDS_STATUS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace tsf {

// The console's unit number; the report shows it as "*".
inline constexpr int kConsoleUnit = -1;

// The kind of statement that failed, as the report names it.
enum class Statement : std::uint8_t { kOpen, kRead, kWrite, kBackspace, kClose };

const char* StatementName(Statement statement);

// Fixed message texts of layer failures.
inline constexpr const char* kBadFileName = "Bad file specification";
inline constexpr const char* kReadPastEnd = "Attempt to read past end of file";
inline constexpr const char* kBufferAllocationFailed = "Buffer allocation failed";
inline constexpr const char* kIllegalCharacter = "Illegal character in numeric input";
inline constexpr const char* kUnableToTruncate =
    "Unable to truncate file after rewind, backspace, or endfile";

struct Failure {
  enum class Kind : std::uint8_t { kLayer, kSystem };
  Kind kind = Kind::kLayer;
  std::string text;  // layer failure: the message text
  int error = 0;     // system failure: the errno
  Statement statement = Statement::kOpen;
  int unit = kConsoleUnit;
  bool during_disconnection = false;

  static Failure Layer(std::string text, Statement statement, int unit) {
    return {Kind::kLayer, std::move(text), 0, statement, unit, false};
  }
  static Failure System(int error, Statement statement, int unit) {
    return {Kind::kSystem, {}, error, statement, unit, false};
  }

  // The report's lines, each beginning with "? " and ending with a line end;
  // the statement line is left out for a failure during disconnection.
  std::string Report() const;
  // The header and message lines alone.
  std::string HeaderAndMessage() const;
};

class [[nodiscard]] Status {
 public:
  Status() = default;                                        // ok
  Status(Failure failure) : failure_(std::move(failure)) {}  // NOLINT: implicit by design

  static Status Halt() {
    Status status;
    status.halt_ = true;
    return status;
  }

  bool ok() const { return !halt_ && !failure_; }
  bool halted() const { return halt_; }
  bool failed() const { return failure_.has_value(); }
  const Failure& failure() const { return *failure_; }
  Failure& failure() { return *failure_; }

 private:
  bool halt_ = false;
  std::optional<Failure> failure_;
};

// The outcome of a read statement, for the outcomes that its caller routes.
enum class IoStatus : std::uint8_t { kOk, kEnd, kError };

}  // namespace tsf

// Returns from the calling function when `expr` is not ok.
#define TSF_RETURN_IF_ERROR(expr)              \
  do {                                         \
    ::tsf::Status tsf_status_ = (expr);        \
    if (!tsf_status_.ok()) return tsf_status_; \
  } while (false)

#endif  // TSF_RECORDS_STATUS_H_
