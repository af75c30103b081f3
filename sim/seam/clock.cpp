#include <ctime>

#include "platform/clock.h"
#include "sim/core/machine.h"

namespace platform {

LocalTime GetLocalTime() {
  const auto& pinned = sim::CurrentMachine().localTime;
  if (pinned) return *pinned;
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  localtime_r(&now, &parts);
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                   parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

}  // namespace platform
