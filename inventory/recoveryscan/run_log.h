#pragma once
#include <string>

#include "platform/files.h"

namespace inventory::recoveryscan {

// The run log: one text-mode stream at a time, so each "\n" of a message
// reaches the file as CR LF. Messages written while no log is open (none
// named yet, or the named file could not be opened) are dropped.
class RunLog {
 public:
  RunLog() = default;
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;
  ~RunLog() { Close(); }

  // Closes the current log, then creates or truncates the named file for
  // reading and writing and writes its start line. False when it cannot be
  // opened; no log is open then.
  bool Open(const char* name, const char* startLine);
  void Write(const char* message);
  bool IsOpen() const { return file_ != nullptr; }
  // The name the open log was opened by.
  const std::string& Name() const { return name_; }
  void Close();

 private:
  platform::TextFile* file_ = nullptr;
  std::string name_;
};

}  // namespace inventory::recoveryscan
