// The machine file's "panel" section: what it loads, and the faults it
// refuses with a message naming the place.
#include "sim/models/panel/panel_file.h"

#include <gtest/gtest.h>

namespace {

bool Load(const std::string& text, sim::panel::Panel* panel, std::string* error) {
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

TEST(PanelSectionTest, PlacesTheFlashProbeBlockAndVersionRecordAfterTheRom) {
  sim::panel::Panel panel;
  std::string error;
  // "flash" comes before "rom" in the file's key order; the ROM's fill must not wipe it.
  ASSERT_TRUE(Load(R"({"flash": {"programAddress": "0xD000", "versionRecordAt": "0x1234", "modelId": "0x2320"},
                       "rom": {"size": "0x10000", "fill": 0}})",
                   &panel, &error))
      << error;
  ASSERT_TRUE(panel.flash);
  EXPECT_EQ(panel.flash->programAddress, 0xD000u);
  unsigned sum = 0;
  for (unsigned i = 0; i < 127; ++i) sum += panel.rom[0xD500 + i];
  EXPECT_NE(sum % 256, 0u);
  EXPECT_EQ((sum + panel.rom[0xD57F]) % 256, 0u);
  const std::vector<std::uint8_t> record(panel.rom.begin() + 0x1234, panel.rom.begin() + 0x123E);
  EXPECT_EQ(record, (std::vector<std::uint8_t>{0x55, 0xAA, 0x66, 0x99, 'V', 'E', 'R', 'S', 0x23, 0x20}));

  // Defaults: program at 0x5000, record at its 0x0F00, model 0x2310, a 64 KiB erased ROM;
  // null leaves the record out.
  sim::panel::Panel defaults;
  ASSERT_TRUE(Load(R"({"flash": {}})", &defaults, &error)) << error;
  EXPECT_EQ(defaults.rom.size(), 0x10000u);
  EXPECT_EQ(defaults.rom[0x5F00], 0x55);
  EXPECT_EQ(defaults.rom[0x5F09], 0x10);
  sim::panel::Panel none;
  ASSERT_TRUE(Load(R"({"flash": {"versionRecordAt": null, "probeBlock": ")" + std::string(256, '0') + R"("}})",
                   &none, &error))
      << error;
  EXPECT_EQ(none.rom[0x5F00], 0xFF);
  EXPECT_EQ(none.rom[0x557F], 0x00);
}

TEST(PanelSectionTest, PutsTheEepromSignatureWhereTheFileSays) {
  struct Case {
    const char* signatureAt;
    bool at400, at500;
  };
  const Case cases[] = {{"[]", false, false}, {"[\"0x0400\"]", true, false}, {"[1280]", false, true},
                        {"[\"0x0400\", \"0x0500\"]", true, true}};
  for (const Case& c : cases) {
    sim::panel::Panel panel;
    std::string error;
    ASSERT_TRUE(Load((std::string(R"({"eeprom": {"bytes": {"0x0401": "00"}, "signatureAt": )") + c.signatureAt + "}}")
                         .c_str(),
                     &panel, &error))
        << error;
    ASSERT_TRUE(panel.eeprom);
    EXPECT_EQ(panel.eeprom->address, 0xC0);
    const std::vector<std::uint8_t> signature{0x2D, 0x5A, 0x5A, 0x5A};
    EXPECT_EQ(std::vector<std::uint8_t>(&panel.eeprom->bytes[0x400], &panel.eeprom->bytes[0x404]) == signature,
              c.at400)
        << c.signatureAt;
    EXPECT_EQ(std::vector<std::uint8_t>(&panel.eeprom->bytes[0x500], &panel.eeprom->bytes[0x504]) == signature,
              c.at500)
        << c.signatureAt;
    EXPECT_EQ(panel.eeprom->bytes[0x7FF], 0xFF);
  }
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
      {R"({"flash": {"probeBlock": "00 01"}})", "panel flash \"probeBlock\" must be 128"},
      {R"({"flash": {"programAddress": "0xFF00"}})", "the probe block must lie inside"},
      {R"({"flash": {"versionRecordAt": "0xFFF8"}})", "the version record must lie inside"},
      {R"({"flash": {"bank": 1}})", "panel flash: unknown key \"bank\""},
      {R"({"eeprom": {"signatureAt": ["0x7FD"]}})", "panel eeprom \"signatureAt\""},
      {R"({"eeprom": {"bytes": {"0x800": "00"}}})", "panel eeprom bytes \"0x800\""},
      {R"({"eeprom": {"size": 1}})", "panel eeprom: unknown key \"size\""},
  };
  for (const auto& [text, where] : cases) {
    sim::panel::Panel panel;
    std::string error;
    EXPECT_FALSE(Load(text, &panel, &error)) << text;
    EXPECT_NE(error.find(where), std::string::npos) << text << ": " << error;
  }
}

}  // namespace
