// The NVIDIA library model: GPUs and displays as the selection calls see
// them, the 104-byte AUX record turned into bus transactions, and the
// statuses and byte counts it can be told to answer.
#include "sim/models/gpu/nvidia/nvidia_library.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

using namespace sim;
namespace api = platform::nvidia_api;

// One GPU: an eDP panel, an unplugged display, an external DisplayPort
// monitor with nothing of the panel behind it.
class NvidiaLibraryTest : public ::testing::Test {
 protected:
  NvidiaLibraryTest() {
    nvidia::Gpu gpu;
    gpu.handle = 0x100;
    gpu.displays = {nvidia::Display{0x11, api::kConnectorEdp, 0x21},
                    nvidia::Display{0x12, api::kConnectorDp, 0x22, false},
                    nvidia::Display{0x13, api::kConnectorDp, 0x23, true, false}};
    library.gpus = {gpu};
    library.initialised = true;
  }
  static api::AuxRecord Record(std::uint32_t displayId, std::uint32_t command, std::uint32_t address,
                               std::uint32_t count, std::initializer_list<int> bytes = {}) {
    api::AuxRecord record{};
    record.version = api::kAuxRecordVersion;
    record.displayId = displayId;
    record.command = command;
    record.address = address;
    record.countMinusOne = count - 1;
    int i = 0;
    for (int byte : bytes) record.data[i++] = static_cast<std::uint8_t>(byte);
    return record;
  }
  nvidia::AuxAnswer Aux(std::uint32_t handle, api::AuxRecord& record) {
    return nvidia::DpAuxChannelControl(library, panel, 0, handle, &record);
  }
  nvidia::Library library;
  panel::Panel panel;
};

TEST_F(NvidiaLibraryTest, ListsTheConnectedDisplaysOfAGpu) {
  std::uint32_t count = 99;
  ASSERT_EQ(nvidia::GetConnectedDisplayIds(library, 0x100, nullptr, &count), nvidia::kOk);
  EXPECT_EQ(count, 2u);
  api::DisplayIdEntry list[3] = {};
  EXPECT_EQ(nvidia::GetConnectedDisplayIds(library, 0x100, list, &count), nvidia::kWrongVersion);
  list[0].version = api::kDisplayIdVersion;
  count = 1;
  EXPECT_EQ(nvidia::GetConnectedDisplayIds(library, 0x100, list, &count), nvidia::kBufferTooSmall);
  count = 3;
  ASSERT_EQ(nvidia::GetConnectedDisplayIds(library, 0x100, list, &count), nvidia::kOk);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(list[0].displayId, 0x11u);
  EXPECT_EQ(list[1].displayId, 0x13u);
  EXPECT_EQ(list[2].displayId, 0u);
  EXPECT_EQ(nvidia::GetConnectedDisplayIds(library, 0x999, nullptr, &count), nvidia::kUnknownHandle);
}

TEST_F(NvidiaLibraryTest, CountsAndStatusesCanBeForced) {
  library.reportedDisplayCount = 0x10000000;
  library.listedDisplayCount = 7;
  std::uint32_t count = 0;
  ASSERT_EQ(nvidia::GetConnectedDisplayIds(library, 0x100, nullptr, &count), nvidia::kOk);
  EXPECT_EQ(count, 0x10000000u);
  api::DisplayIdEntry list[2] = {{api::kDisplayIdVersion, 0, 0, 0}, {}};
  count = 2;
  ASSERT_EQ(nvidia::GetConnectedDisplayIds(library, 0x100, list, &count), nvidia::kOk);
  EXPECT_EQ(count, 7u);  // more than it filled: the caller must not believe it

  library.failures.displayList = -77;
  EXPECT_EQ(nvidia::GetConnectedDisplayIds(library, 0x100, list, &count), -77);
  library.gpus[0].displays[0].connectorInfoStatus = -5;
  library.gpus[0].displays[2].handleStatus = -6;
  api::ConnectorInfo info{};
  info.version = api::kConnectorInfoVersion;
  EXPECT_EQ(nvidia::GetConnectorInfo(library, 0x100, 0x11, &info), -5);
  ASSERT_EQ(nvidia::GetConnectorInfo(library, 0x100, 0x13, &info), nvidia::kOk);
  EXPECT_EQ(info.connectorType, api::kConnectorDp);
  std::uint32_t handle = 0;
  EXPECT_EQ(nvidia::GetDisplayHandle(library, 0x13, &handle), -6);
  EXPECT_EQ(nvidia::GetDisplayHandle(library, 0x12, &handle), nvidia::kInvalidArgument);  // unplugged
  ASSERT_EQ(nvidia::GetDisplayHandle(library, 0x11, &handle), nvidia::kOk);
  EXPECT_EQ(handle, 0x21u);
}

TEST_F(NvidiaLibraryTest, NothingAnswersBeforeInitialiseOrAfterUnload) {
  library.failures.initialize = -1;
  library.initialised = false;
  EXPECT_EQ(nvidia::Initialize(library), -1);
  std::uint32_t handles[api::kMaxGpus] = {}, count = 0;
  EXPECT_EQ(nvidia::EnumPhysicalGpus(library, handles, &count), nvidia::kNotInitialised);
  library.failures.initialize = 0;
  ASSERT_EQ(nvidia::Initialize(library), nvidia::kOk);
  ASSERT_EQ(nvidia::EnumPhysicalGpus(library, handles, &count), nvidia::kOk);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(handles[0], 0x100u);
  EXPECT_EQ(nvidia::Unload(library), nvidia::kOk);
  api::AuxRecord record = Record(0x11, api::kNativeRead, 0, 1);
  EXPECT_EQ(Aux(0x21, record).status, nvidia::kNotInitialised);
  EXPECT_EQ(panel.transactions, 0u);
}

TEST_F(NvidiaLibraryTest, RecordCommandsBecomeBusTransactions) {
  panel.tcon.registers[0x0500] = 0xAB;
  panel.tcon.registers[0x0501] = 0xCD;
  api::AuxRecord header = Record(0x11, api::kI2cWriteMot, 0xC2, 2, {0x05, 0x00});
  nvidia::AuxAnswer answer = Aux(0x21, header);
  ASSERT_EQ(answer.status, nvidia::kOk);
  EXPECT_EQ(answer.request.command, panel::kI2cWrite | panel::kI2cMot);
  EXPECT_EQ(answer.request.address, 0x61u);
  api::AuxRecord read = Record(0x11, api::kI2cReadStop, 0xC2, 2);
  answer = Aux(0x21, read);
  ASSERT_EQ(answer.status, nvidia::kOk);
  EXPECT_EQ(answer.request.command, panel::kI2cRead);
  EXPECT_EQ(read.data[0], 0xAB);
  EXPECT_EQ(read.data[1], 0xCD);
  EXPECT_EQ(read.countMinusOne, 1u);

  api::AuxRecord native = Record(0x11, api::kNativeWrite, 0x600, 1, {0x01});
  ASSERT_EQ(Aux(0x21, native).status, nvidia::kOk);
  EXPECT_EQ(panel.dpcd.at(0x600), 0x01);
}

TEST_F(NvidiaLibraryTest, MalformedRecordsNeverReachTheBus) {
  struct Case {
    const char* name;
    std::uint32_t handle;
    api::AuxRecord record;
    api::Status status;
  };
  api::AuxRecord oldVersion = Record(0x11, api::kNativeRead, 0, 1);
  oldVersion.version = 0x10068;
  const Case cases[] = {
      {"wrong version", 0x21, oldVersion, nvidia::kWrongVersion},
      {"unknown handle", 0x99, Record(0x11, api::kNativeRead, 0, 1), nvidia::kUnknownHandle},
      {"unplugged display", 0x22, Record(0x12, api::kNativeRead, 0, 1), nvidia::kUnknownHandle},
      {"another display's id", 0x21, Record(0x13, api::kNativeRead, 0, 1), nvidia::kInvalidArgument},
      {"command 4", 0x21, Record(0x11, 4, 0, 1), nvidia::kInvalidArgument},
      {"seventeen bytes", 0x21, Record(0x11, api::kNativeRead, 0, 17), nvidia::kInvalidArgument},
      {"no bytes", 0x21, Record(0x11, api::kNativeRead, 0, 0), nvidia::kInvalidArgument},
  };
  for (Case c : cases) {
    const nvidia::AuxAnswer answer = Aux(c.handle, c.record);
    EXPECT_EQ(answer.status, c.status) << c.name;
    EXPECT_FALSE(answer.busUsed) << c.name;
  }
  EXPECT_EQ(panel.transactions, 0u);
}

TEST_F(NvidiaLibraryTest, SinksAndFaultsAnswerFailures) {
  api::AuxRecord toMonitor = Record(0x13, api::kI2cReadStop, 0xC2, 1);
  const nvidia::AuxAnswer monitor = Aux(0x23, toMonitor);
  EXPECT_EQ(monitor.status, nvidia::kBusNack);  // no TCON behind an external monitor
  EXPECT_TRUE(monitor.busUsed);
  EXPECT_EQ(panel.transactions, 0u);

  library.auxFaults = {nvidia::AuxFault{2, 1, -42, std::nullopt}, nvidia::AuxFault{3, 0, std::nullopt, 3}};
  panel.faults = {panel::AuxFault{2, 1, panel::AuxReply::Defer}};
  api::AuxRecord record = Record(0x11, api::kI2cReadStop, 0xC2, 1);
  const nvidia::AuxAnswer injected = Aux(0x21, record);  // the library's second transaction
  EXPECT_EQ(injected.status, -42);
  EXPECT_FALSE(injected.busUsed);
  EXPECT_EQ(Aux(0x21, record).status, nvidia::kOk);  // the panel's first
  EXPECT_EQ(record.countMinusOne, 2u);               // a count of 3 left for a 1-byte read
  EXPECT_EQ(Aux(0x21, record).status, nvidia::kBusDefer);
}

}  // namespace
