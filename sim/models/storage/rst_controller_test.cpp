// The RST controller model on its own: it checks each miniport record as the
// driver does, hands the command to the addressed drive and says what changed,
// leaving trace and change mark to the seam. Records are laid out here by
// hand: the model shares no layout code with drivetag.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim/models/storage/rst_controller.h"
#include "sim/models/storage/storage_file.h"

namespace {

void Put32(std::vector<std::uint8_t>& record, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) record[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A Set Features (DAh) record for one host metadata element.
std::vector<std::uint8_t> SetFeatures(int type, const std::string& value) {
  std::vector<std::uint8_t> record(164 + 128, 0);
  Put32(record, 0, 28);
  std::memcpy(&record[4], "IntelNvm", 8);
  Put32(record, 12, 10);
  Put32(record, 16, 0xF0002808);
  Put32(record, 24, static_cast<std::uint32_t>(record.size() - 28));
  record[28] = 1;  // version; path, target and lun 0
  record[32] = 0x09;
  Put32(record, 72, 0xDA);
  Put32(record, 116, 164);
  Put32(record, 120, 128);
  record[164] = 1;  // one descriptor
  record[166] = static_cast<std::uint8_t>(type);
  record[168] = 122;
  std::memcpy(&record[170], value.data(), value.size());
  return record;
}

sim::RstController Controller() {
  sim::RstController controller;
  controller.port = 2;
  controller.drives.push_back(sim::NvmeDrive{});
  return controller;
}

sim::MiniportAnswer Send(sim::RstController& controller, std::vector<std::uint8_t> record) {
  const auto size = static_cast<std::uint32_t>(record.size());
  return sim::MiniportRequest(controller, record.data(), size, record.data(), size);
}

TEST(RstControllerTest, StoresAnElementAndSaysWhenItChanged) {
  sim::RstController controller = Controller();
  const sim::MiniportAnswer first = Send(controller, SetFeatures(7, "AB"));
  EXPECT_EQ(first.status, 0u);
  EXPECT_TRUE(first.changed);
  EXPECT_EQ(first.returned, 292u);
  EXPECT_EQ(first.trace.rfind("ioctl 0x4D008 \\\\.\\Scsi2: path=0 target=0 lun=0 opcode=0x9 ", 0), 0u)
      << first.trace;
  EXPECT_EQ(controller.drives[0].elements.at(7), (std::vector<std::uint8_t>{'A', 'B'}));
  EXPECT_FALSE(Send(controller, SetFeatures(7, "AB")).changed);  // the same value again
}

TEST(RstControllerTest, RefusesWhatTheDriverRefusesWithoutChangingAnything) {
  struct Refusal {
    const char* name;
    std::size_t at;
    std::uint8_t byte;
    const char* why;
  };
  const Refusal refusals[] = {
      {"header length", 0, 27, "header length"}, {"signature", 4, 'i', "signature"},
      {"control code", 16, 0x09, "control code"}, {"version", 28, 2, "version"},
      {"no drive there", 30, 5, "no drive"},      {"data offset", 116, 160, "data offset"},
  };
  for (const Refusal& row : refusals) {
    sim::RstController controller = Controller();
    std::vector<std::uint8_t> record = SetFeatures(7, "AB");
    record[row.at] = row.byte;
    const sim::MiniportAnswer answer = Send(controller, record);
    EXPECT_EQ(answer.status, 87u) << row.name;
    EXPECT_FALSE(answer.changed) << row.name;
    EXPECT_NE(answer.trace.find(std::string(" refused (") + row.why + ") -> 87"), std::string::npos)
        << row.name << ": " << answer.trace;
    EXPECT_TRUE(controller.drives[0].elements.empty()) << row.name;
  }
  sim::RstController other = Controller();
  other.passThrough = false;
  EXPECT_EQ(Send(other, SetFeatures(7, "AB")).status, 1u);
}

TEST(RstSectionTest, SavesTheLoadedSectionWithTheHostMetadataOfTheRun) {
  const auto section = sim::Json::parse(
      R"([{"port": 2, "heldByOtherProgram": false,
           "drives": [{"path": 0, "target": 0, "lun": 0, "hostMetadata": {"7": "old"}}]}])");
  sim::RstControllers controllers;
  std::string error;
  ASSERT_TRUE(sim::LoadRstSection(section, controllers, &error)) << error;
  controllers.list[0].drives[0].elements[11] = {'O', 0, 'K'};
  sim::Json saved;
  sim::SaveRstSection(controllers, saved);
  EXPECT_EQ(saved, sim::Json::parse(
                       R"([{"port": 2, "heldByOtherProgram": false,
                            "drives": [{"path": 0, "target": 0, "lun": 0,
                                        "hostMetadata": {"7": "old", "11": {"hex": "4f004b"}}}]}])"))
      << saved.dump();
  EXPECT_FALSE(sim::LoadRstSection(sim::Json::parse(R"([{"drives": []}])"), controllers, &error));
  EXPECT_NE(error.find("needs a \"port\""), std::string::npos) << error;
}

}  // namespace
