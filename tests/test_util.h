// Helpers for tests: temporary folders, files, and runs of the built program.
#ifndef TSF_TESTS_TEST_UTIL_H_
#define TSF_TESTS_TEST_UTIL_H_

#include <sys/types.h>

#include <string>
#include <vector>

namespace tsf::testing {

// A fresh folder, removed with everything in it when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
mode_t ModeOf(const std::string& path);

struct RunResult {
  std::string out;  // standard output, byte for byte
  std::string err;  // standard error
  int status = -1;  // exit status, or 128 + signal
};

// A copy of the built program in its own folder, started the way a user
// starts it: from another folder, with `input` as its standard input.
class ProgramCopy {
 public:
  ProgramCopy();
  const std::string& folder() const { return folder_.path(); }
  std::string operator/(const std::string& name) const { return folder_ / name; }
  const std::string& program() const { return program_; }

  RunResult Run(const std::string& input) const;

 private:
  TempFolder folder_;
  TempFolder elsewhere_;
  std::string program_;
};

// The console text of a run up to and including the typed name's prompt.
inline constexpr const char* kPrompt = "\n Enter input file name : ";

}  // namespace tsf::testing

#endif  // TSF_TESTS_TEST_UTIL_H_
