#pragma once
#include <cstdint>

namespace platform {

struct LocalTime {
  int year, month, day, hour, minute, second;
};

LocalTime GetLocalTime();

// Milliseconds since the system started, wrapping at 2^32 (GetTickCount).
std::uint32_t GetTickCount();
// The high-resolution performance counter; false when the platform has none.
bool QueryPerformanceFrequency(std::int64_t* countsPerSecond);
bool QueryPerformanceCounter(std::int64_t* count);
void Sleep(std::uint32_t milliseconds);

}  // namespace platform
