// Record units: the console and the file units, and the line records that
// move between them and the program.
//
// A record is a line without its line end (LF). On input CR is dropped
// wherever it stands and TAB becomes blanks up to the next multiple of 8; on
// output CR is dropped and every record but a NoAdvance one gets its LF.
#ifndef TSF_RECORDS_RECORD_UNIT_H_
#define TSF_RECORDS_RECORD_UNIT_H_

#include <sys/types.h>

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "records/halt.h"
#include "records/os.h"
#include "records/status.h"

namespace tsf {

inline constexpr std::size_t kBlockSize = 8192;

// The space for one record: it starts at 1024 characters and grows in steps
// of 8192, and it is kept from one record to the next.
class RecordBuffer {
 public:
  RecordBuffer() = default;
  RecordBuffer(const RecordBuffer&) = delete;
  RecordBuffer& operator=(const RecordBuffer&) = delete;
  ~RecordBuffer();

  // Makes room for `size` characters; false when no memory is left.
  bool Reserve(std::size_t size) { return size <= capacity_ || Grow(size); }
  char* data() { return data_; }
  std::size_t capacity() const { return capacity_; }

 private:
  bool Grow(std::size_t size);

  char* data_ = nullptr;
  std::size_t capacity_ = 0;
};

// How Connect treats the file: "old" must exist and is read only; "unknown"
// is opened for reading and writing, and created when it is missing.
enum class OpenStatus : unsigned char { kOld, kUnknown };

// Turns a 40-character name into a path: leading and trailing blanks go; an
// all-blank name, or one holding a NUL, is a bad file name (kBadFileName).
bool NameToPath(std::string_view name, std::string* path);

class RecordUnit {
 public:
  RecordUnit(Os& os, HaltWatch& halt) : os_(os), halt_(halt) {}
  RecordUnit(const RecordUnit&) = delete;
  RecordUnit& operator=(const RecordUnit&) = delete;
  ~RecordUnit();

  // Makes this unit the console: standard input and standard output.
  Status AttachConsole();
  Status Connect(int number, std::string_view name, OpenStatus status);

  // Takes the next record. At the end of the input `*end` is set instead;
  // every read after the end reports the end again. The record stays valid
  // until the next operation on this unit.
  Status ReadRecord(std::string_view* record, bool* end);
  // Moves back to the start of the record just read, so that the next read
  // delivers it again.
  Status StepBack();
  // Puts out one record, followed by a line end when `advance` is set.
  Status WriteRecord(std::string_view record, bool advance);
  // Writes what is left of the output, closes the file and frees the unit.
  // Inside DisconnectAll a failure is marked as during disconnection and a
  // failed close is not reported.
  Status Disconnect(bool during_disconnection = false);

  bool connected() const { return connected_; }
  bool is_console() const { return console_; }
  bool is_device() const { return device_; }
  int number() const { return number_; }
  // True when both units hold the same file (device and inode).
  bool SameFile(const RecordUnit& other) const;
  // While false, console waits ignore halt requests.
  void set_take_halts(bool take) { take_halts_ = take; }

  HaltWatch& halt() { return halt_; }
  RecordBuffer& line() { return line_; }  // space to build written records in

 private:
  Status Allocate();
  Status Fill(Statement statement, bool* at_end);
  Status Flush();
  Status Cut();
  int TruncateTo(off_t length);
  Status RecordTooLong() const;
  void DropPartialRecord();
  Failure SystemFailure(int error, Statement statement) const {
    return Failure::System(error, statement, number_);
  }

  Os& os_;
  HaltWatch& halt_;
  int number_ = 0;
  int read_fd_ = -1;
  int write_fd_ = -1;
  bool connected_ = false;
  bool console_ = false;
  bool device_ = false;
  bool writable_ = false;
  bool take_halts_ = true;
  dev_t device_id_ = 0;
  ino_t inode_ = 0;

  // Input: the block last read, where it lies in the file, and the record.
  std::unique_ptr<char[]> block_;
  std::size_t block_length_ = 0;
  std::size_t block_position_ = 0;
  off_t block_offset_ = 0;
  off_t record_start_ = 0;
  // A record was delivered and not stepped back over. A read at the end
  // clears it, so that a step back there gives nothing back.
  bool have_record_ = false;
  bool deliver_again_ = false;  // a device's record stepped back over
  std::size_t record_length_ = 0;
  RecordBuffer record_;

  // Output: bytes not yet written, and what has reached the file.
  std::unique_ptr<char[]> output_;
  std::size_t output_length_ = 0;
  off_t reached_ = 0;        // bytes written to the file so far
  off_t last_line_end_ = 0;  // offset just after the last LF written
  bool cut_pending_ = false;
  bool write_failed_ = false;  // output is dropped after a failed write
  RecordBuffer line_;
};

// The console and the file units of a run.
class Units {
 public:
  explicit Units(Os& os = Os::Default());

  Os& os() { return os_; }
  HaltWatch& halt() { return halt_; }
  RecordUnit& console() { return console_; }
  // The file unit with this number; null when none is connected under it.
  RecordUnit* Find(int number);

  Status Connect(int number, std::string_view name, OpenStatus status);
  Status Disconnect(int number);
  // Disconnects every connected file unit in the order of connection. The
  // first failure to write is returned; failed closes are not reported.
  Status DisconnectAll();

 private:
  static constexpr std::size_t kMaxFileUnits = 4;
  Os& os_;
  HaltWatch halt_;
  RecordUnit console_;
  std::array<std::unique_ptr<RecordUnit>, kMaxFileUnits> files_;  // in connection order
};

}  // namespace tsf

#endif  // TSF_RECORDS_RECORD_UNIT_H_
