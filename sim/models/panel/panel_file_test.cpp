// The machine file's "panel" section: what it loads, and the faults it
// refuses with a message naming the place.
#include "sim/models/panel/panel_file.h"

#include <gtest/gtest.h>

namespace {

bool Load(const char* text, sim::panel::Panel* panel, std::string* error) {
  return sim::LoadPanelSection(sim::Json::parse(text), *panel, error);
}

TEST(PanelSectionTest, LoadsWhatTheFileSays) {
  sim::panel::Panel panel;
  std::string error;
  ASSERT_TRUE(Load(R"({
      "dpcd": {"0x00100": "0a 0b"},
      "tcon": {"address": "0xC0", "registers": {"0x0088": "88"}},
      "mcu": {"address": 200, "checksumMilliseconds": 30, "actionStatus": "0x85", "wrongEcho": true},
      "rom": {"size": "0x100", "fill": 0, "bytes": {"0xFE": "01 02"}},
      "auxFaults": [{"at": 3, "times": 0, "reply": "defer"}]})",
                   &panel, &error))
      << error;
  EXPECT_EQ(panel.dpcd.at(0x101), 0x0B);
  EXPECT_EQ(panel.tcon.address, 0xC0);
  EXPECT_EQ(panel.tcon.registers.at(0x0201), 0x60);  // follows the address
  EXPECT_EQ(panel.tcon.registers.at(0x0088), 0x88);
  EXPECT_EQ(panel.mcu.device.address, 200);
  EXPECT_EQ(panel.mcu.checksumMicroseconds, 30000u);
  EXPECT_EQ(panel.mcu.actionStatus, std::optional<std::uint8_t>{0x85});
  EXPECT_TRUE(panel.mcu.wrongEcho);
  EXPECT_EQ(panel.rom.size(), 0x100u);
  EXPECT_EQ(panel.rom[0xFF], 2);
  EXPECT_EQ(panel.rom[0], 0);
  ASSERT_EQ(panel.faults.size(), 1u);
  EXPECT_EQ(panel.faults[0].reply, sim::panel::AuxReply::Defer);
  EXPECT_EQ(panel.faults[0].times, 0u);
}

TEST(PanelSectionTest, RefusesWhatIsNotAPanel) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"lcd": {}})", "panel: unknown key \"lcd\""},
      {R"({"dpcd": {"0x100000": "00"}})", "panel dpcd \"0x100000\""},
      {R"({"dpcd": {"0xFFFFF": "00 00"}})", "panel dpcd \"0xFFFFF\""},
      {R"({"dpcd": {"256": "0"}})", "panel dpcd \"256\""},
      {R"({"tcon": {"address": "0x1C2"}})", "panel tcon \"address\""},
      {R"({"tcon": {"speed": 1}})", "panel tcon: unknown key \"speed\""},
      {R"({"mcu": {"neverDone": 1}})", "panel mcu \"neverDone\""},
      {R"({"rom": {"size": 16777217}})", "panel rom \"size\""},
      {R"({"rom": {"size": 4, "bytes": {"0x3": "00 00"}}})", "panel rom bytes \"0x3\""},
      {R"({"auxFaults": [{"reply": "ack"}]})", "panel auxFaults 0 \"reply\""},
      {R"([])", "\"panel\""},
  };
  for (const auto& [text, where] : cases) {
    sim::panel::Panel panel;
    std::string error;
    EXPECT_FALSE(Load(text, &panel, &error)) << text;
    EXPECT_NE(error.find(where), std::string::npos) << text << ": " << error;
  }
}

}  // namespace
