// An Os for tests: a console made of strings, and system calls that fail or
// come up short on request. File calls go to the real file system.
#ifndef TSF_TESTS_FAKE_OS_H_
#define TSF_TESTS_FAKE_OS_H_

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>

#include "records/os.h"

namespace tsf::testing {

enum class Call : unsigned char { kOpen, kRead, kWrite, kSeek, kTruncate, kClose, kCount };

class FakeOs : public Os {
 public:
  std::string console_input;
  std::string console_output;
  std::string error_output;
  std::size_t max_read = 0;   // when not 0, reads return at most this many bytes
  std::size_t max_write = 0;  // when not 0, writes take at most this many bytes
  int eintr_every = 0;        // when not 0, every such call first fails with EINTR

  // Makes call number `nth` (counted from 1) of `kind` fail with `error`.
  // Up to four such failures may be set.
  void FailAt(Call kind, int nth, int error) {
    if (failures_ < kMaxFailures) plan_[failures_++] = {kind, nth, error};
  }
  int calls(Call kind) const { return counts_[static_cast<int>(kind)]; }

  int Open(const char* path, int flags, mode_t mode) override {
    if (const int error = Count(Call::kOpen)) return -error;
    return Os::Open(path, flags, mode);
  }
  long Read(int fd, char* buffer, std::size_t size) override {
    if (const int error = Count(Call::kRead)) return -error;
    if (max_read != 0 && size > max_read) size = max_read;
    if (fd == 0) {
      const std::size_t n = std::min(size, console_input.size() - console_read_);
      std::memcpy(buffer, console_input.data() + console_read_, n);
      console_read_ += n;
      return static_cast<long>(n);
    }
    return Os::Read(fd, buffer, size);
  }
  long Write(int fd, const char* bytes, std::size_t size) override {
    if (const int error = Count(Call::kWrite)) return -error;
    if (max_write != 0 && size > max_write) size = max_write;
    if (fd == 1 || fd == 2) {
      (fd == 1 ? console_output : error_output).append(bytes, size);
      return static_cast<long>(size);
    }
    return Os::Write(fd, bytes, size);
  }
  long Seek(int fd, off_t offset) override {
    if (const int error = Count(Call::kSeek)) return -error;
    return Os::Seek(fd, offset);
  }
  int Truncate(int fd, off_t length) override {
    if (const int error = Count(Call::kTruncate)) return -error;
    return Os::Truncate(fd, length);
  }
  int Close(int fd) override {
    if (const int error = Count(Call::kClose)) {
      Os::Close(fd);  // the descriptor is gone all the same, as on Linux
      return -error;
    }
    return Os::Close(fd);
  }
  int WaitReadable(int /*fd*/, const sigset_t* /*mask*/) override { return 0; }

 private:
  // The error that this call is to fail with, or 0.
  int Count(Call kind) {
    const int count = ++counts_[static_cast<int>(kind)];
    for (int i = 0; i < failures_; ++i) {
      if (plan_[i].kind == kind && plan_[i].nth == count) return plan_[i].error;
    }
    if (eintr_every != 0 && ++eintr_counter_ % eintr_every == 0) return EINTR;
    return 0;
  }

  std::size_t console_read_ = 0;
  int counts_[static_cast<int>(Call::kCount)] = {};
  struct Planned {
    Call kind;
    int nth;
    int error;
  };
  static constexpr int kMaxFailures = 4;
  Planned plan_[kMaxFailures] = {};
  int failures_ = 0;
  int eintr_counter_ = 0;
};

}  // namespace tsf::testing

#endif  // TSF_TESTS_FAKE_OS_H_
