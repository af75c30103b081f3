// The AMD Display Library model: adapters and display lists as records,
// DDC messages and native AUX records turned into bus transactions, and
// the faults the library can be told to show.
#include "sim/models/gpu/amd/adl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace sim;
namespace api = platform::adl;

std::int32_t WordAt(const std::uint8_t* record, int offset) {
  std::int32_t value = 0;
  std::memcpy(&value, record + offset, 4);
  return value;
}

// "w62:1 ff03" for a write with MOT of two bytes, "r62:0 4" for a read of four.
std::vector<std::string> Shape(const amd::CallAnswer& answer) {
  std::vector<std::string> shape;
  for (const amd::BusExchange& exchange : answer.bus) {
    const panel::AuxRequest& request = exchange.request;
    char text[64];
    std::snprintf(text, sizeof text, "%c%02x:%d ", panel::IsRead(request.command) ? 'r' : 'w',
                  request.address, panel::HasMot(request.command) ? 1 : 0);
    std::string line = text;
    if (panel::IsRead(request.command)) {
      line += std::to_string(request.length);
    } else {
      for (unsigned i = 0; i < request.length; ++i) {
        std::snprintf(text, sizeof text, "%02x", request.data[i]);
        line += text;
      }
    }
    if (exchange.answer.reply != panel::AuxReply::Ack) line += " nack";
    shape.push_back(line);
  }
  return shape;
}

class AdlTest : public ::testing::Test {
 protected:
  AdlTest() {
    amd::Adapter first{0, true, false, {}, {{0, 0, 16, 0x03, false}}};
    amd::Adapter second{3, true, false, {}, {{5, 3, 16, 0x03, true}, {6, 3, 10, 0x01, false}}};
    adl.adapters = {first, second};
    for (int i = 0; i < 40; ++i) panel.tcon.registers[static_cast<std::uint16_t>(0x0500 + i)] = i + 1;
  }
  amd::CallAnswer Ddc(std::int32_t option, std::vector<std::uint8_t> send, std::int32_t* length,
                      std::uint8_t* receive, std::int32_t display = 5) {
    return amd::DdcBlockAccess(adl, panel, clock, 3, display, option, send.data(),
                               static_cast<std::int32_t>(send.size()), length, receive);
  }
  amd::Adl adl;
  panel::Panel panel;
  amd::BusClock clock{0, 100};
};

TEST_F(AdlTest, AdapterRecordsCarryTheirIndexAndFailWhenTheArrayIsTooSmall) {
  EXPECT_EQ(amd::NumberOfAdapters(adl), 2);
  std::vector<std::uint8_t> records(2 * api::kAdapterInfoSize, 0);
  ASSERT_EQ(amd::AdapterInfo(adl, records.data(), static_cast<std::int32_t>(records.size())), 0);
  EXPECT_EQ(WordAt(records.data(), api::kAdapterIndexAt), 0);
  EXPECT_EQ(WordAt(records.data() + api::kAdapterInfoSize, api::kAdapterIndexAt), 3);
  EXPECT_NE(amd::AdapterInfo(adl, records.data(), api::kAdapterInfoSize), 0);
  adl.adapterCount = -4;  // the count is reported as told, whatever the adapters are
  EXPECT_EQ(amd::NumberOfAdapters(adl), -4);
}

TEST_F(AdlTest, DisplayListRecordsAndActiveFlags) {
  const amd::DisplayListAnswer list = amd::DisplayList(adl, 3);
  ASSERT_EQ(list.result, 0);
  ASSERT_EQ(list.count, 2);
  ASSERT_EQ(list.records.size(), 2u * api::kDisplayInfoSize);
  const std::uint8_t* second = list.records.data() + api::kDisplayInfoSize;
  EXPECT_EQ(WordAt(second, api::kDisplayIndexAt), 6);
  EXPECT_EQ(WordAt(second, api::kDisplayAdapterAt), 3);
  EXPECT_EQ(WordAt(second, api::kDisplayConnectorAt), 10);
  EXPECT_EQ(WordAt(second, api::kDisplayFlagsAt), 1);
  EXPECT_NE(amd::DisplayList(adl, 7).result, 0);  // no such adapter

  adl.adapters[1].displayCount = 1000;  // a count larger than the list it hands over
  EXPECT_EQ(amd::DisplayList(adl, 3).count, 1000);
  EXPECT_EQ(amd::DisplayList(adl, 3).records.size(), 2u * api::kDisplayInfoSize);
  adl.adapters[1].displayListFails = true;
  EXPECT_NE(amd::DisplayList(adl, 3).result, 0);

  adl.adapters[0].active = false;
  EXPECT_EQ(amd::AdapterActive(adl, 0).result, 0);
  EXPECT_EQ(amd::AdapterActive(adl, 0).active, 0);
  EXPECT_EQ(amd::AdapterActive(adl, 3).active, 1);
  EXPECT_NE(amd::AdapterActive(adl, 9).result, 0);
}

TEST_F(AdlTest, DdcMessagesBecomeI2cTransactions) {
  struct Case {
    const char* name;
    std::int32_t option;
    std::vector<std::uint8_t> send;
    std::int32_t receive;
    std::vector<std::string> shape;
  };
  const Case cases[] = {
      {"plain write", 0, {0xC4, 0xFF, 0x03, 0x00, 0x80}, 0, {"w62:0 ff030080"}},
      {"address alone", 0, {0xC2}, 0, {"w61:0 "}},
      {"plain read", 0, {0xC3}, 4, {"r61:0 4"}},
      {"combined offset write and read", 16, {0xC2, 0x05, 0x00}, 20,
       {"w61:1 0500", "r61:1 16", "r61:0 4"}},
      {"long write in pieces", 0, std::vector<std::uint8_t>(19, 0xC2), 0,
       {"w61:1 c2c2c2c2c2c2c2c2c2c2c2c2c2c2c2c2", "w61:0 c2c2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint8_t data[32] = {};
    std::int32_t length = c.receive;
    const amd::CallAnswer answer = Ddc(c.option, c.send, &length, data);
    EXPECT_EQ(answer.result, 0);
    EXPECT_EQ(Shape(answer), c.shape);
    EXPECT_EQ(length, c.receive);
  }
  std::uint8_t data[20] = {};
  std::int32_t length = 20;
  ASSERT_EQ(Ddc(16, {0xC2, 0x05, 0x00}, &length, data).result, 0);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(data[i], i + 1) << i;
  EXPECT_EQ(clock.now, 100u * 11);  // every transaction of the table and this read took its time
}

TEST_F(AdlTest, RefusesMessagesThatAreNotWellFormedOrGoNowhere) {
  struct Case {
    const char* name;
    std::int32_t option;
    std::vector<std::uint8_t> send;
    std::int32_t receive;
    std::int32_t display;
  };
  const Case cases[] = {
      {"read address with more bytes", 0, {0xC3, 0x05}, 1, 5},
      {"write address with a receive", 0, {0xC2, 0x05}, 1, 5},
      {"combined with a read address", 16, {0xC3, 0x05}, 1, 5},
      {"combined without a receive", 16, {0xC2, 0x05}, 0, 5},
      {"negative receive length", 0, {0xC3}, -1, 5},
      {"unknown option", 8, {0xC2, 0x05}, 0, 5},
      {"empty message", 0, {}, 0, 5},
      {"a display without the panel", 0, {0xC2, 0x05}, 0, 6},
      {"no such display", 0, {0xC2, 0x05}, 0, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint8_t data[4] = {};
    std::int32_t length = c.receive;
    const amd::CallAnswer answer = Ddc(c.option, c.send, &length, data, c.display);
    EXPECT_EQ(answer.result, api::kError);
    EXPECT_TRUE(answer.bus.empty());
  }
}

TEST_F(AdlTest, ShortReceiveFailsReportsWhatArrivedAndEndsTheTransaction) {
  panel.faults = {{3, 1, panel::AuxReply::Nack}};  // the second read piece
  std::uint8_t data[20] = {};
  std::int32_t length = 20;
  const amd::CallAnswer answer = Ddc(16, {0xC2, 0x05, 0x00}, &length, data);
  EXPECT_EQ(answer.result, api::kError);
  EXPECT_EQ(length, 16);
  EXPECT_EQ(Shape(answer),
            (std::vector<std::string>{"w61:1 0500", "r61:1 16", "r61:0 4 nack", "w61:0 "}));
}

TEST_F(AdlTest, InjectedFaults) {
  adl.ddcFaults = {{2, 1, api::kError, std::nullopt}, {3, 1, std::nullopt, 50}};
  std::uint8_t data[8] = {};
  std::int32_t length = 4;
  EXPECT_EQ(Ddc(0, {0xC3}, &length, data).result, 0);
  length = 4;
  const amd::CallAnswer refused = Ddc(0, {0xC3}, &length, data);
  EXPECT_EQ(refused.result, api::kError);
  EXPECT_TRUE(refused.bus.empty());
  // A received length larger than the buffer is reported, never written.
  std::uint8_t guarded[8] = {0, 0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE};
  length = 4;
  EXPECT_EQ(Ddc(0, {0xC3}, &length, guarded).result, 0);
  EXPECT_EQ(length, 50);
  EXPECT_EQ(guarded[4], 0xEE);
}

TEST_F(AdlTest, NativeRecordCarriesOneDpcdTransaction) {
  panel.dpcd = {{0x00000, 0x14}, {0x00001, 0x0A}};
  std::uint8_t record[api::kNativeRecordSize] = {36, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                 0,  0, 0, 0, 2, 0, 0, 0};
  ASSERT_EQ(amd::NativeAux(adl, panel, clock, 3, 5, record).result, 0);
  EXPECT_EQ(WordAt(record, api::kNativeCountAt), 2);
  EXPECT_EQ(record[api::kNativeDataAt], 0x14);
  EXPECT_EQ(record[api::kNativeDataAt + 1], 0x0A);

  record[api::kNativeWriteAt] = 1;
  record[api::kNativeAddressAt] = 0x10;
  const amd::CallAnswer write = amd::NativeAux(adl, panel, clock, 3, 5, record);
  ASSERT_EQ(write.result, 0);
  ASSERT_EQ(write.bus.size(), 1u);
  EXPECT_EQ(write.bus[0].request.command, panel::kNativeWrite);
  EXPECT_EQ(panel.dpcd[0x10], 0x14);

  record[api::kNativeCountAt] = 17;  // more than the record holds
  EXPECT_EQ(amd::NativeAux(adl, panel, clock, 3, 5, record).result, api::kError);
  record[api::kNativeCountAt] = 1;
  EXPECT_EQ(amd::NativeAux(adl, panel, clock, 0, 0, record).result, api::kError);  // no panel there

  adl.nativeFaults = {{adl.nativeCalls + 1, 1, std::nullopt, 99}};
  record[api::kNativeWriteAt] = 0;
  EXPECT_EQ(amd::NativeAux(adl, panel, clock, 3, 5, record).result, 0);
  EXPECT_EQ(WordAt(record, api::kNativeCountAt), 99);
}

TEST_F(AdlTest, CreateAndExportedNames) {
  adl.missingFunctions = {"ADL_Display_WriteAndReadI2C"};
  EXPECT_FALSE(amd::Exports(adl, "ADL_Display_WriteAndReadI2C"));
  EXPECT_TRUE(amd::Exports(adl, "ADL_Main_Control_Create"));
  adl.createResult = -2;
  EXPECT_EQ(amd::MainControlCreate(adl), -2);
  EXPECT_FALSE(adl.created);
  adl.createResult = 0;
  EXPECT_EQ(amd::MainControlCreate(adl), 0);
  EXPECT_TRUE(adl.created);
  amd::MainControlDestroy(adl);
  EXPECT_FALSE(adl.created);
}

}  // namespace
