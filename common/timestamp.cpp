#include "common/timestamp.h"

#include <cstdio>

#include "platform/clock.h"

void FormatTimeStamp(char* buffer, std::size_t size) {
  const platform::LocalTime now = platform::GetLocalTime();
  std::snprintf(buffer, size, "%04d-%02d-%02dT%02d:%02d:%02d", now.year, now.month, now.day,
                now.hour, now.minute, now.second);
}
