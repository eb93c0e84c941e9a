// The seam between the record layer and the operating system.
//
// Every system call that the record layer makes goes through an Os. The
// default one calls the kernel; tests derive from it to fail any call or to
// stand in for the console. Calls return a count or 0 on success and the
// negated errno on failure; none of them retries.
#ifndef TSF_RECORDS_OS_H_
#define TSF_RECORDS_OS_H_

#include <sys/stat.h>
#include <sys/types.h>

#include <csignal>
#include <cstddef>

namespace tsf {

class Os {
 public:
  Os() = default;
  Os(const Os&) = delete;
  Os& operator=(const Os&) = delete;
  virtual ~Os() = default;

  virtual int Open(const char* path, int flags, mode_t mode);
  virtual long Read(int fd, char* buffer, std::size_t size);
  virtual long Write(int fd, const char* bytes, std::size_t size);
  virtual long Seek(int fd, off_t offset);  // to an absolute offset
  virtual int Truncate(int fd, off_t length);
  virtual int Close(int fd);
  virtual int Stat(int fd, struct stat* info);
  // Waits until `fd` can be read, with `mask` as the signal mask while it
  // waits: 0 when it can, -EINTR when a signal came first.
  virtual int WaitReadable(int fd, const sigset_t* mask);

  // The process-wide instance that calls the kernel.
  static Os& Default();
};

// Makes the folder that holds the running program the working folder, so
// that relative names are looked up there; false when it cannot.
bool ChangeToProgramFolder();

}  // namespace tsf

#endif  // TSF_RECORDS_OS_H_
