#include "common/timestamp.h"

#include <cstdio>

namespace common {

void FormatTimeStamp(const platform::LocalTime& time, char* buffer, std::size_t size) {
  std::snprintf(buffer, size, "%04d-%02d-%02dT%02d:%02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
}

}  // namespace common
