#include "records/os.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

namespace tsf {

namespace {
long Result(long value) { return value < 0 ? -errno : value; }
}  // namespace

int Os::Open(const char* path, int flags, mode_t mode) {
  return static_cast<int>(Result(::open(path, flags | O_CLOEXEC, mode)));
}

long Os::Read(int fd, char* buffer, std::size_t size) { return Result(::read(fd, buffer, size)); }

long Os::Write(int fd, const char* bytes, std::size_t size) {
  return Result(::write(fd, bytes, size));
}

long Os::Seek(int fd, off_t offset) { return Result(::lseek(fd, offset, SEEK_SET)); }

int Os::Truncate(int fd, off_t length) { return static_cast<int>(Result(::ftruncate(fd, length))); }

int Os::Close(int fd) { return static_cast<int>(Result(::close(fd))); }

int Os::Stat(int fd, struct stat* info) { return static_cast<int>(Result(::fstat(fd, info))); }

int Os::WaitReadable(int fd, const sigset_t* mask) {
  pollfd entry{fd, POLLIN, 0};
  // POLLHUP and POLLERR also end the wait: the read that follows tells why.
  return static_cast<int>(Result(::ppoll(&entry, 1, nullptr, mask) < 0 ? -1 : 0));
}

bool ChangeToProgramFolder() {
  std::string path(PATH_MAX, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return false;
  path.resize(static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return false;
  path.resize(slash == 0 ? 1 : slash);
  return ::chdir(path.c_str()) == 0;
}

Os& Os::Default() {
  static Os os;
  return os;
}

}  // namespace tsf
