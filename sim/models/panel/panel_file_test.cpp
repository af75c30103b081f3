// The machine file's panel, Intel GPU, clock and power sections: what they
// load, and the faults they refuse with a message naming the place.
#include <gtest/gtest.h>

#include "sim/core/machine.h"

namespace {

TEST(PanelSectionsTest, LoadWhatTheFileSays) {
  std::string error;
  ASSERT_TRUE(sim::UseMachineText(R"({
    "clock": {"tickCount": 4000000000, "auxTransactionMicroseconds": 250},
    "power": {"acLine": "unknown"},
    "panel": {
      "dpcd": {"0x00100": "0a 0b"},
      "tcon": {"address": "0xC0", "registers": {"0x0088": "88"}},
      "mcu": {"address": 200, "checksumMilliseconds": 30, "actionStatus": "0x85", "wrongEcho": true},
      "rom": {"size": "0x100", "fill": 0, "bytes": {"0xFE": "01 02"}},
      "auxFaults": [{"at": 3, "times": 0, "reply": "defer"}]
    },
    "intelGpu": {
      "displays": [{"name": "\\\\.\\Display2", "devices": [{"id": "0xABCD", "type": 7, "status": 1}]}],
      "powerFeatures": 44,
      "faults": [{"at": 9, "byteCount": 17}]
    }})", "", &error))
      << error;
  const sim::Machine& machine = sim::CurrentMachine();
  EXPECT_EQ(machine.clock.tickCountAtStart, 4000000000u);
  EXPECT_EQ(machine.clock.auxTransactionMicroseconds, 250u);
  EXPECT_EQ(machine.power.acLineStatus, 255);
  EXPECT_EQ(machine.panel.dpcd.at(0x101), 0x0B);
  EXPECT_EQ(machine.panel.tcon.address, 0xC0);
  EXPECT_EQ(machine.panel.tcon.registers.at(0x0201), 0x60);  // follows the address
  EXPECT_EQ(machine.panel.tcon.registers.at(0x0088), 0x88);
  EXPECT_EQ(machine.panel.mcu.device.address, 200);
  EXPECT_EQ(machine.panel.mcu.checksumMicroseconds, 30000u);
  EXPECT_EQ(machine.panel.mcu.actionStatus, std::optional<std::uint8_t>{0x85});
  EXPECT_TRUE(machine.panel.mcu.wrongEcho);
  EXPECT_EQ(machine.panel.rom.size(), 0x100u);
  EXPECT_EQ(machine.panel.rom[0xFF], 2);
  EXPECT_EQ(machine.panel.rom[0], 0);
  ASSERT_EQ(machine.panel.faults.size(), 1u);
  EXPECT_EQ(machine.panel.faults[0].reply, sim::panel::AuxReply::Defer);
  ASSERT_TRUE(machine.intelGpu);
  EXPECT_EQ(machine.intelGpu->displays[0].name, u"\\\\.\\Display2");
  EXPECT_EQ(machine.intelGpu->displays[0].devices[0].id, 0xABCDu);
  EXPECT_EQ(machine.intelGpu->powerFeatures, 44u);
  EXPECT_EQ(machine.intelGpu->faults[0].byteCount, std::optional<std::uint32_t>{17});
}

TEST(PanelSectionsTest, MachineWithoutTheSectionsHasNoIntelObject) {
  std::string error;
  ASSERT_TRUE(sim::UseMachineText("{}", "", &error)) << error;
  EXPECT_FALSE(sim::CurrentMachine().intelGpu);
  EXPECT_EQ(sim::CurrentMachine().panel.tcon.registers.at(0x0201), 0x61);
  sim::UseBuiltInMachine();
  ASSERT_TRUE(sim::CurrentMachine().intelGpu);
  EXPECT_EQ(sim::CurrentMachine().panel.rom.at(0x8287), 0x08);
}

TEST(PanelSectionsTest, RefusesWhatIsNotAMachine) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"panel": {"lcd": {}}})", "panel: unknown key \"lcd\""},
      {R"({"panel": {"dpcd": {"0x100000": "00"}}})", "panel dpcd \"0x100000\""},
      {R"({"panel": {"dpcd": {"0xFFFFF": "00 00"}}})", "panel dpcd \"0xFFFFF\""},
      {R"({"panel": {"dpcd": {"256": "0"}}})", "panel dpcd \"256\""},
      {R"({"panel": {"tcon": {"address": "0x1C2"}}})", "panel tcon \"address\""},
      {R"({"panel": {"tcon": {"speed": 1}}})", "panel tcon: unknown key \"speed\""},
      {R"({"panel": {"mcu": {"neverDone": 1}}})", "panel mcu \"neverDone\""},
      {R"({"panel": {"rom": {"size": 16777217}}})", "panel rom \"size\""},
      {R"({"panel": {"rom": {"size": 4, "bytes": {"0x3": "00 00"}}}})", "panel rom bytes \"0x3\""},
      {R"({"panel": {"auxFaults": [{"reply": "ack"}]}})", "panel auxFaults 0 \"reply\""},
      {R"({"intelGpu": {"displays": [{"devices": [{"id": "0xZZ"}]}]}})", "intelGpu display 0 device 0 \"id\""},
      {R"({"intelGpu": {"faults": [{"at": -1}]}})", "intelGpu fault 0 \"at\""},
      {R"({"intelGpu": []})", "\"intelGpu\""},
      {R"({"clock": {"tick": 1}})", "clock: unknown key \"tick\""},
      {R"({"power": {"acLine": "battery"}})", "\"power\""},
  };
  for (const auto& [machine, where] : cases) {
    std::string error;
    EXPECT_FALSE(sim::UseMachineText(machine, "", &error)) << machine;
    EXPECT_NE(error.find(where), std::string::npos) << machine << ": " << error;
  }
}

}  // namespace
