// The simulated clock and power status as the seam answers them.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/power.h"
#include "sim/core/machine.h"

namespace {

TEST(SimulatedClockTest, OnlySleepingMovesTime) {
  std::string error;
  ASSERT_TRUE(sim::UseMachineText(R"({"clock": {"tickCount": 4294967000}})", "", &error)) << error;
  std::int64_t frequency = 0, start = 0, later = 0;
  ASSERT_TRUE(platform::QueryPerformanceFrequency(&frequency));
  ASSERT_TRUE(platform::QueryPerformanceCounter(&start));
  EXPECT_EQ(frequency, 10000000);
  EXPECT_EQ(platform::GetTickCount(), 4294967000u);
  EXPECT_EQ(platform::GetTickCount(), 4294967000u);
  platform::Sleep(500);
  ASSERT_TRUE(platform::QueryPerformanceCounter(&later));
  EXPECT_EQ(later - start, 5000000);
  EXPECT_EQ(platform::GetTickCount(), 204u);  // wraps at 2^32 as Windows' does
}

TEST(SimulatedPowerTest, AnswersTheMachinesLineStatus) {
  const std::pair<const char*, int> cases[] = {
      {"online", 1}, {"offline", 0}, {"unknown", 255}, {"fails", -1}};
  for (const auto& [line, status] : cases) {
    std::string error;
    ASSERT_TRUE(
        sim::UseMachineText(std::string(R"({"power": {"acLine": ")") + line + "\"}}", "", &error))
        << error;
    platform::PowerStatus power{};
    EXPECT_EQ(platform::GetSystemPowerStatus(&power), status >= 0) << line;
    if (status >= 0) {
      EXPECT_EQ(power.acLineStatus, status) << line;
    }
  }
}

}  // namespace
