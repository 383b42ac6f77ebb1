// Messages on standard error, one line each: "qar: FILE: message (error N)".
// The library has numbers only; these are its numbers in words.
#include "tool.h"

#include <cstdio>

const char* ErrorText(int error) {
  switch (error) {
  case QAR_ERR_NOMEM:
    return "out of memory";
  case QAR_ERR_ABORTED:
    return "stopped";
  case QAR_ERR_METHOD:
    return "unknown compression method";
  case QAR_ERR_DATA_CRC:
    return "damaged data: checksum mismatch (or a wrong password)";
  case QAR_ERR_HEADER_CRC:
    return "damaged archive: header checksum mismatch";
  case QAR_ERR_READ:
    return "read error or archive cut short";
  case QAR_ERR_WRITE:
    return "cannot write";
  case QAR_ERR_NO_ARCHIVE:
    return "not an archive";
  case QAR_ERR_HANDLE:
    return "invalid archive handle";
  case QAR_ERR_OPEN:
    return "cannot open";
  case QAR_ERR_NOT_FOUND:
    return "no entry matches";
  case QAR_ERR_MODE:
    return "invalid open mode";
  case QAR_ERR_BUSY:
    return "an extraction is already running";
  case kUsageError:
    return "usage error";
  default:
    return "unknown error";
  }
}

int FailWith(const std::string& file, const std::string& message, int error) {
  ProgressClear();
  std::fflush(stdout);
  std::fprintf(stderr, "qar: %s: %s (error %d)\n", file.c_str(), message.c_str(), error);
  return error;
}

int Fail(const std::string& file, int error) { return FailWith(file, ErrorText(error), error); }

int UsageError(const std::string& command, const std::string& message) {
  if (command.empty())
    return FailWith("usage", message + "; see qar --help", kUsageError);
  return FailWith(command, message + "; see qar " + command + " --help", kUsageError);
}

void Warn(const std::string& file, const std::string& message) {
  ProgressClear();
  std::fflush(stdout);
  std::fprintf(stderr, "qar: %s: %s\n", file.c_str(), message.c_str());
}
