// The Intel CUI model: attached devices, AUX blocks turned into bus
// transactions with the driver's error codes, and the power feature word.
#include "sim/models/gpu/intel/cui.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace sim;
using platform::intel_cui::kAuxBlockId;
using platform::intel_cui::kPowerBlockId;

struct AuxRecord {
  std::uint32_t device, code, count, address;
  std::uint8_t data[16];
};
static_assert(sizeof(AuxRecord) == 32);

class CuiTest : public ::testing::Test {
 protected:
  CuiTest() {
    cui.displays = {{u"\\\\.\\Display1", {{0x100, 1, 0}, {0x200, 2, 1}, {0x300, 2, 0}}}};
    cui.powerFeatures = 0x2C;
  }
  intel::BlockAnswer Aux(bool set, AuxRecord& record) {
    return intel::DataBlock(cui, panel, 0, set, kAuxBlockId, 32, reinterpret_cast<std::uint8_t*>(&record));
  }
  intel::Cui cui;
  panel::Panel panel;
};

TEST_F(CuiTest, ListsTheDevicesOfEachDisplay) {
  const intel::EnumAnswer second = intel::EnumAttachedDevices(cui, u"\\\\.\\Display1", 1);
  EXPECT_EQ(second.result, platform::kSOk);
  EXPECT_EQ(second.id, 0x200u);
  EXPECT_EQ(second.type, 2u);
  EXPECT_EQ(second.status, 1u);
  EXPECT_NE(intel::EnumAttachedDevices(cui, u"\\\\.\\Display1", 3).result, platform::kSOk);
  EXPECT_NE(intel::EnumAttachedDevices(cui, u"\\\\.\\Display2", 0).result, platform::kSOk);
}

TEST_F(CuiTest, AuxBlockCarriesOneBusTransaction) {
  AuxRecord read{0x300, 1, 1, 0xC2, {}};
  panel.tcon.pointer = 0x0201;
  const intel::BlockAnswer answer = Aux(false, read);
  EXPECT_EQ(answer.result, platform::kSOk);
  EXPECT_EQ(answer.error, 0u);
  ASSERT_TRUE(answer.busUsed);
  EXPECT_EQ(answer.request.address, 0x61u);  // the 7-bit address on the wire
  EXPECT_EQ(read.count, 1u);
  EXPECT_EQ(read.data[0], 0x61);

  AuxRecord write{0x300, 8, 2, 0x00102, {0xC0, 0x01}};
  EXPECT_EQ(Aux(true, write).error, 0u);
  EXPECT_EQ(panel.dpcd.at(0x00103), 0x01);
}

TEST_F(CuiTest, AMonitorWithoutThePanelTakesDpcdWritesAndAnswersNoI2cDevice) {
  cui.displays.push_back({u"\\\\.\\Display2", {{0x400, 3, 0, false}}});
  AuxRecord write{0x400, 8, 1, 0x00102, {0xC0}};
  EXPECT_EQ(Aux(true, write).error, 0u);
  EXPECT_TRUE(panel.dpcd.empty());  // the panel saw nothing
  AuxRecord read{0x400, 1, 1, 0xC2, {}};
  EXPECT_EQ(Aux(false, read).error, intel::kErrorNack);
  EXPECT_EQ(panel.transactions, 0u);
}

TEST_F(CuiTest, DriverErrorCodes) {
  struct Case {
    const char* name;
    AuxRecord record;
    bool set;
    std::uint32_t error;
    bool busUsed;
  };
  panel.faults = {panel::AuxFault{2, 1, panel::AuxReply::Defer}};
  const Case cases[] = {
      {"nobody at the address", {0x300, 0, 1, 0xA0, {}}, true, intel::kErrorNack, true},
      {"sink defers", {0x300, 0, 1, 0xC2, {}}, true, intel::kErrorDefer, true},
      {"unknown device", {0x999, 0, 1, 0xC2, {}}, true, intel::kErrorUnknownDevice, false},
      {"seventeen bytes", {0x300, 1, 17, 0xC2, {}}, false, intel::kErrorTooLong, false},
  };
  for (Case c : cases) {
    const intel::BlockAnswer answer = Aux(c.set, c.record);
    EXPECT_EQ(answer.error, c.error) << c.name;
    EXPECT_EQ(answer.busUsed, c.busUsed) << c.name;
  }
}

TEST_F(CuiTest, RequestCodeMustMatchTheMethod) {
  AuxRecord readBySet{0x300, 1, 1, 0xC2, {}};
  AuxRecord writeByGet{0x300, 4, 1, 0xC2, {}};
  EXPECT_EQ(Aux(true, readBySet).result, intel::kEInvalidArg);
  EXPECT_EQ(Aux(false, writeByGet).result, intel::kEInvalidArg);
  std::uint8_t small[16] = {};
  EXPECT_EQ(intel::DataBlock(cui, panel, 0, false, kAuxBlockId, 16, small).result, intel::kEInvalidArg);
  EXPECT_EQ(panel.transactions, 0u);
}

TEST_F(CuiTest, InjectedFaultsAnswerErrorsOrLeaveWrongByteCounts) {
  cui.faults = {intel::DriverFault{1, 2, 70, std::nullopt}, intel::DriverFault{3, 0, std::nullopt, 0xFFFFFFFFu}};
  AuxRecord record{0x300, 1, 1, 0xC2, {}};
  EXPECT_EQ(Aux(false, record).error, 70u);
  EXPECT_EQ(Aux(false, record).error, 70u);
  EXPECT_EQ(panel.transactions, 0u);
  const intel::BlockAnswer third = Aux(false, record);
  EXPECT_EQ(third.error, 0u);
  EXPECT_TRUE(third.busUsed);
  EXPECT_EQ(record.count, 0xFFFFFFFFu);
}

TEST_F(CuiTest, PowerFeatureWordIsReadAndWrittenUnderItsMask) {
  std::uint32_t record[45] = {};
  record[0] = 2;
  record[1] = 3;
  auto* bytes = reinterpret_cast<std::uint8_t*>(record);
  EXPECT_EQ(intel::DataBlock(cui, panel, 0, false, kPowerBlockId, 180, bytes).result, platform::kSOk);
  EXPECT_EQ(record[6], 0x2Cu);
  record[1] = 1;
  record[5] = 0x28;
  record[6] = 0x04;  // bits 0x20 and 0x08 cleared, 0x04 left alone by the mask
  EXPECT_EQ(intel::DataBlock(cui, panel, 0, true, kPowerBlockId, 180, bytes).result, platform::kSOk);
  EXPECT_EQ(cui.powerFeatures, 0x04u);
  EXPECT_EQ(intel::DataBlock(cui, panel, 0, true, kPowerBlockId, 32, bytes).result, intel::kEInvalidArg);
}

}  // namespace
