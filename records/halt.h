// Halt requests: SIGINT, SIGHUP, SIGQUIT and SIGTERM ask the run to stop.
//
// The handlers only note the request. It is taken where the record layer
// services the console: at once while the run waits for a console line (or
// for input from a pipe), and otherwise at the start of a record-layer
// operation once at least 100 ms have passed since the console was last
// serviced.
#ifndef TSF_RECORDS_HALT_H_
#define TSF_RECORDS_HALT_H_

#include <csignal>
#include <cstdint>

#include "records/os.h"

namespace tsf {

namespace internal {
extern volatile std::sig_atomic_t halt_requested;
}  // namespace internal

// Installs the halt handlers (without SA_RESTART) and ignores SIGPIPE, so that
// writes to a closed pipe fail with EPIPE instead of ending the process.
void InstallHaltHandlers();

// Forgets a noted request (for runs in the same process, such as tests).
void ClearHaltRequest();

class HaltWatch {
 public:
  HaltWatch();

  // True when a noted request is to be taken at this operation.
  bool Due() { return internal::halt_requested != 0 && DueSlow(); }

  // What a wait for console input ended with.
  enum class Wait : std::uint8_t { kReadable, kHalt, kError };
  // Waits until `fd` (the console, or a pipe) can be read. With `take_halt`,
  // a request noted before or during the wait ends it with kHalt; without,
  // requests are ignored.
  Wait WaitForInput(Os& os, int fd, bool take_halt, int* error);

 private:
  bool DueSlow() const;
  void Serviced();

  std::int64_t last_service_ns_;
};

}  // namespace tsf

#endif  // TSF_RECORDS_HALT_H_
