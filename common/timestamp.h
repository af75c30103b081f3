#pragma once
#include <cstddef>

#include "platform/clock.h"

namespace common {

// A local time as the inventory documents and the logs stamp it:
// 2021-11-28T16:26:58. The buffer holds at least 20 characters.
void FormatTimeStamp(const platform::LocalTime& time, char* buffer, std::size_t size);

}  // namespace common
