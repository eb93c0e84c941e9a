#include "records/halt.h"

#include <cerrno>
#include <ctime>

namespace tsf {

namespace internal {
volatile std::sig_atomic_t halt_requested = 0;
}  // namespace internal

namespace {

constexpr int kHaltSignals[] = {SIGINT, SIGHUP, SIGQUIT, SIGTERM};
constexpr std::int64_t kServiceIntervalNs = 100'000'000;

extern "C" void NoteHalt(int /*signal*/) { internal::halt_requested = 1; }

std::int64_t NowNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

sigset_t HaltSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kHaltSignals) sigaddset(&set, signal);
  return set;
}

}  // namespace

void InstallHaltHandlers() {
  struct sigaction action {};
  action.sa_handler = NoteHalt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocked read returns with EINTR
  for (int signal : kHaltSignals) sigaction(signal, &action, nullptr);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
}

void ClearHaltRequest() { internal::halt_requested = 0; }

HaltWatch::HaltWatch() : last_service_ns_(NowNs()) {}

void HaltWatch::Serviced() { last_service_ns_ = NowNs(); }

bool HaltWatch::DueSlow() const { return NowNs() - last_service_ns_ >= kServiceIntervalNs; }

HaltWatch::Wait HaltWatch::WaitForInput(Os& os, int fd, bool take_halt, int* error) {
  // The halt signals stay blocked between the look at the flag and the wait,
  // and the wait unblocks them atomically, so no request slips in between.
  const sigset_t halt_set = HaltSignalSet();
  sigset_t old_mask;
  sigprocmask(SIG_BLOCK, &halt_set, &old_mask);
  sigset_t wait_mask = old_mask;
  for (int signal : kHaltSignals) sigdelset(&wait_mask, signal);
  Wait outcome = Wait::kReadable;
  for (;;) {
    if (take_halt && internal::halt_requested != 0) {
      outcome = Wait::kHalt;
      break;
    }
    const int result = os.WaitReadable(fd, &wait_mask);
    if (result == 0) break;
    if (result != -EINTR) {
      *error = -result;
      outcome = Wait::kError;
      break;
    }
  }
  sigprocmask(SIG_SETMASK, &old_mask, nullptr);
  Serviced();
  return outcome;
}

}  // namespace tsf
