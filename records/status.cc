#include "records/status.h"

#include <cstring>

namespace tsf {

const char* StatementName(Statement statement) {
  switch (statement) {
    case Statement::kOpen: return "OPEN";
    case Statement::kRead: return "READ";
    case Statement::kWrite: return "WRITE";
    case Statement::kBackspace: return "BACKSPACE";
    case Statement::kClose: return "CLOSE";
  }
  return "?";
}

std::string Failure::HeaderAndMessage() const {
  std::string lines = kind == Kind::kLayer ? "? Record I/O run-time error:\n" : "? System Error:\n";
  lines += "? ";
  lines += kind == Kind::kLayer ? text : std::string(std::strerror(error));
  lines += '\n';
  return lines;
}

std::string Failure::Report() const {
  std::string lines = HeaderAndMessage();
  if (!during_disconnection) {
    lines += "? ";
    lines += StatementName(statement);
    lines += "(UNIT=";
    lines += unit == kConsoleUnit ? std::string("*") : std::to_string(unit);
    lines += ",...\n";
  }
  return lines;
}

}  // namespace tsf
