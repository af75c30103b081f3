#include <windows.h>

#include "platform/clock.h"

namespace platform {

LocalTime GetLocalTime() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace platform

namespace platform {

std::uint32_t GetTickCount() { return ::GetTickCount(); }

bool QueryPerformanceFrequency(std::int64_t* countsPerSecond) {
  LARGE_INTEGER value;
  if (!::QueryPerformanceFrequency(&value)) return false;
  *countsPerSecond = value.QuadPart;
  return true;
}

bool QueryPerformanceCounter(std::int64_t* count) {
  LARGE_INTEGER value;
  if (!::QueryPerformanceCounter(&value)) return false;
  *count = value.QuadPart;
  return true;
}

void Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform
