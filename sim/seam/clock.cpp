#include <ctime>

#include "platform/clock.h"
#include "sim/core/machine.h"
#include "sim/core/trace.h"

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

// The tick count and the performance counter read the simulated clock;
// sleeping moves it on.
namespace platform {
namespace {
constexpr std::int64_t kCounterFrequency = 10'000'000;  // 100 ns counts, as Windows reports
}  // namespace

std::uint32_t GetTickCount() {
  const sim::SimClock& clock = sim::CurrentMachine().clock;
  return clock.tickCountAtStart + static_cast<std::uint32_t>(clock.microseconds / 1000);
}

bool QueryPerformanceFrequency(std::int64_t* countsPerSecond) {
  *countsPerSecond = kCounterFrequency;
  return true;
}

bool QueryPerformanceCounter(std::int64_t* count) {
  *count = static_cast<std::int64_t>(sim::CurrentMachine().clock.microseconds) * (kCounterFrequency / 1'000'000);
  return true;
}

void Sleep(std::uint32_t milliseconds) {
  sim::CurrentMachine().clock.microseconds += std::uint64_t{milliseconds} * 1000;
  sim::Trace("kernel32.Sleep " + std::to_string(milliseconds));
}

}  // namespace platform
