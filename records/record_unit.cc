#include "records/record_unit.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

namespace tsf {

namespace {

constexpr std::size_t kFirstRecordSpace = 1024;
constexpr std::size_t kRecordSpaceStep = 8192;
constexpr mode_t kNewFileMode = 0664;  // rw-rw-r--, less the umask
constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;

}  // namespace

RecordBuffer::~RecordBuffer() { std::free(data_); }

bool RecordBuffer::Grow(std::size_t size) {
  std::size_t capacity = capacity_ == 0 ? kFirstRecordSpace : capacity_;
  while (capacity < size) {
    if (capacity > SIZE_MAX - kRecordSpaceStep) return false;
    capacity += kRecordSpaceStep;
  }
  void* grown = std::realloc(data_, capacity);
  if (grown == nullptr) return false;
  data_ = static_cast<char*>(grown);
  capacity_ = capacity;
  return true;
}

bool NameToPath(std::string_view name, std::string* path) {
  const std::size_t first = name.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  const std::size_t last = name.find_last_not_of(' ');
  const std::string_view trimmed = name.substr(first, last - first + 1);
  // A NUL would end the path early and name another file than the one typed.
  if (trimmed.find('\0') != std::string_view::npos) return false;
  path->assign(trimmed);
  return true;
}

RecordUnit::~RecordUnit() {
  if (connected_ && !console_) os_.Close(read_fd_);
}

Status RecordUnit::Allocate() {
  block_.reset(new (std::nothrow) char[kBlockSize]);
  output_.reset(new (std::nothrow) char[kBlockSize]);
  if (!block_ || !output_ || !record_.Reserve(kFirstRecordSpace) ||
      !line_.Reserve(kFirstRecordSpace)) {
    return Failure::Layer(kBufferAllocationFailed, Statement::kOpen, number_);
  }
  return {};
}

Status RecordUnit::AttachConsole() {
  number_ = kConsoleUnit;
  console_ = true;
  device_ = true;
  writable_ = true;
  read_fd_ = kStandardInput;
  write_fd_ = kStandardOutput;
  TSF_RETURN_IF_ERROR(Allocate());
  connected_ = true;
  return {};
}

Status RecordUnit::Connect(int number, std::string_view name, OpenStatus status) {
  number_ = number;
  std::string path;
  if (!NameToPath(name, &path)) {
    return Failure::Layer(kBadFileName, Statement::kOpen, number);
  }
  writable_ = status == OpenStatus::kUnknown;
  // Create-or-open in one call: an existing file is opened without change,
  // and a link to a missing file creates the file that it names.
  const int flags = writable_ ? O_RDWR | O_CREAT : O_RDONLY;
  int fd = 0;
  while ((fd = os_.Open(path.c_str(), flags, kNewFileMode)) == -EINTR) {
    if (internal::halt_requested != 0) return Status::Halt();
  }
  if (fd < 0) return SystemFailure(-fd, Statement::kOpen);
  struct stat info {};
  if (const int result = os_.Stat(fd, &info); result < 0) {
    os_.Close(fd);
    return SystemFailure(-result, Statement::kOpen);
  }
  if (Status allocated = Allocate(); !allocated.ok()) {
    os_.Close(fd);
    return allocated;
  }
  read_fd_ = write_fd_ = fd;
  device_ = !S_ISREG(info.st_mode);
  device_id_ = info.st_dev;
  inode_ = info.st_ino;
  cut_pending_ = writable_ && !device_;
  block_length_ = block_position_ = 0;
  block_offset_ = record_start_ = 0;
  have_record_ = deliver_again_ = false;
  output_length_ = 0;
  reached_ = last_line_end_ = 0;
  write_failed_ = false;
  connected_ = true;
  return {};
}

bool RecordUnit::SameFile(const RecordUnit& other) const {
  return connected_ && other.connected_ && device_id_ == other.device_id_ && inode_ == other.inode_;
}

// Reads the next block. At the end of the input `*at_end` is set.
Status RecordUnit::Fill(Statement statement, bool* at_end) {
  for (;;) {
    // The console and pipes may keep the run waiting: a halt request ends
    // the wait (race-free, see WaitForInput).
    if (device_) {
      int error = 0;
      switch (halt_.WaitForInput(os_, read_fd_, take_halts_, &error)) {
        case HaltWatch::Wait::kHalt: return Status::Halt();
        case HaltWatch::Wait::kError: return SystemFailure(error, statement);
        case HaltWatch::Wait::kReadable: break;
      }
    }
    const long got = os_.Read(read_fd_, block_.get(), kBlockSize);
    if (got == -EINTR) continue;
    if (got < 0) return SystemFailure(static_cast<int>(-got), statement);
    block_offset_ += static_cast<off_t>(block_length_);
    block_length_ = static_cast<std::size_t>(got);
    block_position_ = 0;
    *at_end = got == 0;
    return {};
  }
}

Status RecordUnit::RecordTooLong() const {
  return Failure::Layer(kBufferAllocationFailed, Statement::kRead, number_);
}

Status RecordUnit::ReadRecord(std::string_view* record, bool* end) {
  *end = false;
  if (deliver_again_) {
    deliver_again_ = false;
    have_record_ = true;
    *record = std::string_view(record_.data(), record_length_);
    return {};
  }
  const off_t start = block_offset_ + static_cast<off_t>(block_position_);
  std::size_t length = 0;
  for (;;) {
    if (block_position_ == block_length_) {
      bool at_end = false;
      TSF_RETURN_IF_ERROR(Fill(Statement::kRead, &at_end));
      if (at_end) {
        // A last line without LF is still a record, unless it held only CRs.
        if (length > 0) break;
        have_record_ = false;
        *end = true;
        return {};
      }
    }
    const char* bytes = block_.get() + block_position_;
    const std::size_t available = block_length_ - block_position_;
    const void* lf = std::memchr(bytes, '\n', available);
    const std::size_t span =
        lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - bytes) : available;
    if (!record_.Reserve(length + span)) return RecordTooLong();
    char* out = record_.data();
    if (std::memchr(bytes, '\r', span) == nullptr && std::memchr(bytes, '\t', span) == nullptr) {
      if (span > 0) std::memcpy(out + length, bytes, span);
      length += span;
    } else {
      for (std::size_t i = 0; i < span; ++i) {
        const char c = bytes[i];
        if (c == '\r') continue;
        if (c == '\t') {
          const std::size_t blanks = 8 - length % 8;
          // The tab's blanks need room beyond the one place kept for the tab.
          if (!record_.Reserve(length + blanks + (span - i - 1))) return RecordTooLong();
          out = record_.data();
          std::memset(out + length, ' ', blanks);
          length += blanks;
          continue;
        }
        out[length++] = c;
      }
    }
    block_position_ += span;
    if (lf != nullptr) {
      ++block_position_;
      break;
    }
  }
  record_start_ = start;
  record_length_ = length;
  have_record_ = true;
  *record = std::string_view(record_.data(), length);
  return {};
}

Status RecordUnit::StepBack() {
  if (halt_.Due()) return Status::Halt();
  if (writable_) cut_pending_ = !device_;
  // At the start of the file, or after the end was reported, nothing is
  // given back: the next read reports the end again.
  if (!have_record_) return {};
  have_record_ = false;
  if (record_start_ >= block_offset_) {
    block_position_ = static_cast<std::size_t>(record_start_ - block_offset_);
    return {};
  }
  // A pipe cannot be read again: the record itself is delivered once more.
  if (device_) {
    deliver_again_ = true;
    return {};
  }
  // The record began in an earlier block: read the file again from there.
  long moved = 0;
  while ((moved = os_.Seek(read_fd_, record_start_)) == -EINTR) {
  }
  if (moved < 0) return SystemFailure(static_cast<int>(-moved), Statement::kBackspace);
  block_offset_ = record_start_;
  block_length_ = block_position_ = 0;
  bool at_end = false;
  return Fill(Statement::kBackspace, &at_end);
}

Status RecordUnit::WriteRecord(std::string_view record, bool advance) {
  if (write_failed_) return {};
  const char* bytes = record.data();
  std::size_t left = record.size();
  while (left > 0 || advance) {
    if (output_length_ == kBlockSize) TSF_RETURN_IF_ERROR(Flush());
    char* out = output_.get() + output_length_;
    const std::size_t room = kBlockSize - output_length_;
    if (left == 0) {
      *out = '\n';
      ++output_length_;
      advance = false;
      continue;
    }
    // Copy up to the next CR, which is dropped.
    std::size_t take = std::min(left, room);
    const void* cr = take > 0 ? std::memchr(bytes, '\r', take) : nullptr;
    const bool at_cr = cr != nullptr;
    if (at_cr) take = static_cast<std::size_t>(static_cast<const char*>(cr) - bytes);
    if (take > 0) std::memcpy(out, bytes, take);
    output_length_ += take;
    bytes += take + (at_cr ? 1 : 0);
    left -= take + (at_cr ? 1 : 0);
  }
  // A device unit, the console among them, gets each record as it ends.
  if (device_ && output_length_ > 0) return Flush();
  return {};
}

// Writes the whole output buffer, retrying interrupted and short writes.
Status RecordUnit::Flush() {
  // The first bytes to reach an existing file replace its old content whole.
  // The file is cut before they are written, so that a file that cannot be
  // cut keeps its old content untouched.
  if (cut_pending_) TSF_RETURN_IF_ERROR(Cut());
  const char* bytes = output_.get();
  std::size_t done = 0;
  int error = 0;
  while (done < output_length_) {
    const long wrote = os_.Write(write_fd_, bytes + done, output_length_ - done);
    if (wrote == -EINTR) {
      // A console that takes nothing (a full pipe) must not keep a halt
      // request waiting: its record is dropped, and the request is taken at
      // the next operation.
      if (console_ && internal::halt_requested != 0) break;
      continue;
    }
    if (wrote <= 0) {
      error = wrote == 0 ? EIO : static_cast<int>(-wrote);
      break;
    }
    // Where the last whole record ends: a failed write cuts the file there.
    const void* lf =
        device_ ? nullptr : memrchr(bytes + done, '\n', static_cast<std::size_t>(wrote));
    if (lf != nullptr) {
      last_line_end_ = reached_ + static_cast<off_t>(static_cast<const char*>(lf) - bytes + 1);
    }
    done += static_cast<std::size_t>(wrote);
  }
  reached_ += static_cast<off_t>(done);
  output_length_ = 0;
  // Console writes never fail: what the console does not take is dropped.
  if (console_ || error == 0) return {};
  write_failed_ = true;
  DropPartialRecord();
  return SystemFailure(error, Statement::kWrite);
}

Status RecordUnit::Cut() {
  cut_pending_ = false;
  if (TruncateTo(reached_) < 0) {
    write_failed_ = true;
    output_length_ = 0;
    return Failure::Layer(kUnableToTruncate, Statement::kWrite, number_);
  }
  return {};
}

int RecordUnit::TruncateTo(off_t length) {
  int result = 0;
  while ((result = os_.Truncate(write_fd_, length)) == -EINTR) {
  }
  return result;
}

// After a failed write the file ends with the last whole record that reached
// it: no partial record and no old content behind the new one.
void RecordUnit::DropPartialRecord() {
  if (!device_ && reached_ > last_line_end_) (void)TruncateTo(last_line_end_);
}

Status RecordUnit::Disconnect(bool during_disconnection) {
  if (!connected_ || console_) return {};
  if (!during_disconnection && halt_.Due()) return Status::Halt();
  Status status;
  if (output_length_ > 0 && !write_failed_) status = Flush();
  const int closed = os_.Close(read_fd_);
  connected_ = false;
  block_.reset();
  output_.reset();
  if (status.failed()) {
    Failure& failure = status.failure();
    failure.statement = Statement::kClose;
    failure.during_disconnection = during_disconnection;
    return status;
  }
  if (closed < 0 && closed != -EINTR && !during_disconnection) {
    return SystemFailure(-closed, Statement::kClose);
  }
  return {};
}

Units::Units(Os& os) : os_(os), console_(os, halt_) {}

RecordUnit* Units::Find(int number) {
  for (auto& unit : files_) {
    if (unit && unit->number() == number) return unit.get();
  }
  return nullptr;
}

Status Units::Connect(int number, std::string_view name, OpenStatus status) {
  if (halt_.Due()) return Status::Halt();
  TSF_RETURN_IF_ERROR(Disconnect(number));
  for (auto& slot : files_) {
    if (slot) continue;
    slot.reset(new (std::nothrow) RecordUnit(os_, halt_));
    if (!slot) return Failure::Layer(kBufferAllocationFailed, Statement::kOpen, number);
    Status connected = slot->Connect(number, name, status);
    if (!connected.ok()) slot.reset();
    return connected;
  }
  return Failure::Layer(kBufferAllocationFailed, Statement::kOpen, number);
}

Status Units::Disconnect(int number) {
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (!files_[i] || files_[i]->number() != number) continue;
    Status status = files_[i]->Disconnect();
    if (status.halted()) return status;
    // Keep the connection order: later units move up one place.
    for (std::size_t j = i; j + 1 < files_.size(); ++j) files_[j] = std::move(files_[j + 1]);
    files_.back().reset();
    return status;
  }
  return {};
}

Status Units::DisconnectAll() {
  Status first;
  for (auto& unit : files_) {
    if (!unit) continue;
    Status status = unit->Disconnect(/*during_disconnection=*/true);
    if (status.failed() && first.ok()) first = std::move(status);
    unit.reset();
  }
  return first;
}

}  // namespace tsf
