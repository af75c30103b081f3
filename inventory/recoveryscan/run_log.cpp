#include "inventory/recoveryscan/run_log.h"

#include <cstring>

namespace inventory::recoveryscan {

bool RunLog::Open(const char* name, const char* startLine) {
  Close();
  file_ = platform::OpenTextFile(name, "w+");
  if (file_ != nullptr) name_ = name;
  Write(startLine);
  return file_ != nullptr;
}

void RunLog::Write(const char* message) {
  if (file_ != nullptr) platform::WriteText(file_, message, std::strlen(message));
}

void RunLog::Close() {
  if (file_ != nullptr) platform::CloseTextFile(file_);
  file_ = nullptr;
  name_.clear();
}

}  // namespace inventory::recoveryscan
