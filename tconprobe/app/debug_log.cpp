#include "tconprobe/app/debug_log.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/clock.h"
#include "platform/files.h"
#include "tconprobe/app/config.h"

namespace tconprobe {
namespace {

platform::TextFile* gDebugLog = nullptr;

}  // namespace

void OpenDebugLog(const char* fileName) {
  CloseDebugLog();
  gDebugLog = platform::OpenTextFile(fileName, "a");
}

void CloseDebugLog() {
  platform::CloseTextFile(gDebugLog);
  gDebugLog = nullptr;
}

void DebugLine(const char* text) {
  if (gConfig.DEBUG_LOG == 0 || gDebugLog == nullptr) return;
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "[%lu] ", static_cast<unsigned long>(platform::GetTickCount()));
  std::string line = stamp;
  line += text;
  line += "\r\n";
  platform::WriteText(gDebugLog, line.data(), line.size());
  platform::FlushTextFile(gDebugLog);
}

}  // namespace tconprobe
