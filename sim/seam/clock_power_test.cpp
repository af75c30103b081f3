// The simulated clock and power status as the seam answers them, the
// sections that set them, and the machines that have the panel.
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

TEST(ClockPowerSectionsTest, RefuseWhatTheyDoNotKnow) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"clock": {"tick": 1}})", "clock: unknown key \"tick\""},
      {R"({"clock": {"auxTransactionMicroseconds": 1000001}})", "clock \"auxTransactionMicroseconds\""},
      {R"({"power": {"acLine": "battery"}})", "\"power\""},
  };
  for (const auto& [machine, where] : cases) {
    std::string error;
    EXPECT_FALSE(sim::UseMachineText(machine, "", &error)) << machine;
    EXPECT_NE(error.find(where), std::string::npos) << machine << ": " << error;
  }
}

TEST(PanelMachinesTest, OnlyAMachineWithTheSectionHasAnIntelObject) {
  std::string error;
  ASSERT_TRUE(sim::UseMachineText(R"({"clock": {"auxTransactionMicroseconds": 250}})", "", &error));
  EXPECT_FALSE(sim::CurrentMachine().intelGpu);
  EXPECT_EQ(sim::CurrentMachine().clock.auxTransactionMicroseconds, 250u);
  EXPECT_EQ(sim::CurrentMachine().panel.tcon.registers.at(0x0201), 0x61);
  sim::UseBuiltInMachine();
  ASSERT_TRUE(sim::CurrentMachine().intelGpu);
  EXPECT_EQ(sim::CurrentMachine().panel.rom.at(0x8287), 0x08);
}

}  // namespace
