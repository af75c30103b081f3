#pragma once

namespace platform {

struct LocalTime {
  int year, month, day, hour, minute, second;
};

LocalTime GetLocalTime();

}  // namespace platform
