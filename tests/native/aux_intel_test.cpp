// The Intel back-end on the simulated CUI object and panel: the shapes of
// I2C-over-AUX and native transfers, TransactAux's retries, the driver's
// byte counts, the display identifier caches and the power features.
#include <algorithm>
#include <cstring>

#include "tests/native/aux_layer_test.h"

namespace {

using namespace aux_test;
using Lines = std::vector<std::string>;

class AuxIntelTest : public AuxLayerTest {
 protected:
  // Opens on Intel for eDP and forgets what opening traced.
  void OpenChannel(std::int32_t displayType = dpaux::kDisplayEdp) {
    ASSERT_EQ(Open(dpaux::kGpuIntel, displayType), 0);
    ForgetTrace();
  }
  std::int32_t Transfer(dpaux::KSXAUX_I2C_PARAM record) { return KSXAUX_I2COverAuxAccess(&record); }
};

TEST_F(AuxIntelTest, ReadShapesByModeAndOption) {
  struct Case {
    const char* name;
    std::uint32_t mode, address, offset, length, requestBytes, flags;
    Lines shape;
  };
  const Case cases[] = {
      {"two offset bytes", 1, 0xC2, 0x0500, 20, 16, 0,
       {"aux.i2c write 0xC2 mot=0 bytes=0500 -> ack", "kernel32.Sleep 1", "aux.i2c read 0xC2 mot=1 count=16 -> ack",
        "aux.i2c read 0xC2 mot=0 count=4 -> ack"}},
      {"extended end", 1, 0xC2, 0x0500, 20, 16, 0x01,
       {"aux.i2c write 0xC2 mot=0 bytes=0500 -> ack", "kernel32.Sleep 1", "aux.i2c read 0xC2 mot=1 count=16 -> ack",
        "aux.i2c read 0xC2 mot=1 count=4 -> ack", "aux.i2c write 0xC2 mot=0 bytes= -> ack",
        "aux.i2c write 0xC2 mot=0 bytes= -> ack"}},
      {"repeated start", 1, 0xC2, 0x0500, 3, 2, 0x40,
       {"aux.i2c write 0xC2 mot=1 bytes=0500 -> ack", "kernel32.Sleep 1", "aux.i2c read 0xC2 mot=1 count=2 -> ack",
        "aux.i2c read 0xC2 mot=0 count=1 -> ack"}},
      {"high byte, repeated start", 5, 0xC2, 0x0500, 1, 16, 0,
       {"aux.i2c write 0xC2 mot=1 bytes=05 -> ack", "kernel32.Sleep 1", "aux.i2c read 0xC2 mot=0 count=1 -> ack"}},
      {"no offset phase", 4, 0xC2, 0x0500, 1, 16, 0,
       {"kernel32.Sleep 1", "aux.i2c read 0xC2 mot=0 count=1 -> ack"}},
      {"raw read", 3, 0xC2, 0x0500, 1, 16, 0x40,
       {"kernel32.Sleep 1", "aux.i2c read 0xC2 mot=0 count=1 -> ack"}},
      {"small-EEPROM block in the address", 0, 0xA0, 0x0312, 1, 16, 0,
       {"aux.i2c write 0xA6 mot=0 bytes=12 -> ack", "kernel32.Sleep 1", "aux.i2c read 0xA6 mot=0 count=1 -> ack"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dpaux::ForgetIntelDisplayIds();
    UseMachine(c.address == 0xA0 ? R"({"panel": {"tcon": {"address": "0xA6"}}})" : "{}");
    OpenChannel();
    std::uint8_t data[32] = {};
    EXPECT_EQ(Transfer(I2c(c.mode, 0, c.address, c.offset, data, c.length, c.requestBytes, c.flags)), 0);
    EXPECT_EQ(Shape(), c.shape);
    dpaux::KSXAUX_CLOSE_PARAM close{4};
    KSXAUX_CloseDll(&close);
  }
}

TEST_F(AuxIntelTest, ReadDataFollowsTheRegisterPointer) {
  OpenChannel();
  std::uint8_t data[20] = {};
  ASSERT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0500, data, 20, 16)), 0);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(data[i], i + 1) << i;
}

TEST_F(AuxIntelTest, ModeSixSendsTheBuffersFirstBytesAsTheOffset) {
  OpenChannel();
  std::uint8_t data[4] = {0x05, 0x02, 0xEE, 0xEE};
  ASSERT_EQ(Transfer(I2c(6, 0, 0xC2, 0x0002, data, 4, 1, 0)), 0);
  EXPECT_EQ(Shape(), (Lines{"aux.i2c write 0xC2 mot=1 bytes=05 -> ack", "aux.i2c write 0xC2 mot=1 bytes=02 -> ack",
                            "kernel32.Sleep 1", "aux.i2c read 0xC2 mot=1 count=1 -> ack",
                            "aux.i2c read 0xC2 mot=1 count=1 -> ack", "aux.i2c read 0xC2 mot=1 count=1 -> ack",
                            "aux.i2c read 0xC2 mot=0 count=1 -> ack"}));
  EXPECT_EQ(std::vector<int>(data, data + 4), (std::vector<int>{3, 4, 5, 6}));  // registers 0x0502 on
}

TEST_F(AuxIntelTest, ModeSixRefusesAnOffsetLongerThanTheBuffer) {
  OpenChannel();
  std::uint8_t data[4] = {0x05, 0x00, 0, 0};
  EXPECT_EQ(Transfer(I2c(6, 0, 0xC2, 0x0005, data, 4)), -1);
  EXPECT_EQ(Transfer(I2c(6, 0, 0xC2, 0x0000, data, 4)), -1);  // a low byte 0 means 256 offset bytes
  EXPECT_TRUE(Shape().empty());
}

TEST_F(AuxIntelTest, LongReadsGoInPiecesOf256RegistersWithTheHighByteCounting) {
  OpenChannel();
  std::vector<std::uint8_t> data(600);
  ASSERT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0500, data.data(), 600)), 0);
  EXPECT_EQ(TraceOf("aux.i2c write"), (Lines{"aux.i2c write 0xC2 mot=0 bytes=0500 -> ack",
                                             "aux.i2c write 0xC2 mot=0 bytes=0600 -> ack",
                                             "aux.i2c write 0xC2 mot=0 bytes=0700 -> ack"}));
  EXPECT_EQ(TraceOf("aux.i2c read 0xC2 mot=0 count=16").size(), 2u);  // the ends of the two full pieces
  EXPECT_EQ(TraceOf("aux.i2c read 0xC2 mot=0 count=8").size(), 1u);   // 88 = 5 x 16 + 8
}

TEST_F(AuxIntelTest, WriteShapesByOption) {
  struct Case {
    const char* name;
    std::uint32_t mode, offset, length, requestBytes, flags;
    Lines shape;
  };
  const Case cases[] = {
      {"header, then the data", 1, 0x0089, 3, 16, 0,
       {"aux.i2c write 0xC2 mot=1 bytes=0089 -> ack", "aux.i2c write 0xC2 mot=0 bytes=010203 -> ack"}},
      {"data in pieces", 1, 0x0089, 5, 2, 0,
       {"aux.i2c write 0xC2 mot=1 bytes=0089 -> ack", "aux.i2c write 0xC2 mot=1 bytes=0102 -> ack",
        "aux.i2c write 0xC2 mot=1 bytes=0304 -> ack", "aux.i2c write 0xC2 mot=0 bytes=05 -> ack"}},
      // The export cuts requestBytes to the length: 3 is above the header, so one data byte each.
      {"header in every transaction, request cut to the length", 1, 0x0089, 3, 16, 0x80,
       {"aux.i2c write 0xC2 mot=0 bytes=008901 -> ack", "aux.i2c write 0xC2 mot=0 bytes=008a02 -> ack",
        "aux.i2c write 0xC2 mot=0 bytes=008b03 -> ack"}},
      {"header in every transaction", 1, 0x0089, 5, 4, 0x80,
       {"aux.i2c write 0xC2 mot=0 bytes=00890102 -> ack", "aux.i2c write 0xC2 mot=0 bytes=008b0304 -> ack",
        "aux.i2c write 0xC2 mot=0 bytes=008d05 -> ack"}},
      // The offset carries over a 256-byte boundary: into the high byte, or
      // into the next block's device address.
      {"header in every transaction, across a block", 1, 0x00FE, 5, 4, 0x80,
       {"aux.i2c write 0xC2 mot=0 bytes=00fe0102 -> ack", "aux.i2c write 0xC2 mot=0 bytes=01000304 -> ack",
        "aux.i2c write 0xC2 mot=0 bytes=010205 -> ack"}},
      {"one offset byte in every transaction, across a block", 0, 0x01FF, 3, 3, 0x80,
       {"aux.i2c write 0xC2 mot=0 bytes=ff0102 -> ack", "aux.i2c write 0xC4 mot=0 bytes=0103 -> ack"}},
      {"raw", 2, 0x0089, 2, 16, 0, {"aux.i2c write 0xC2 mot=0 bytes=0102 -> ack"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenChannel();
    std::uint8_t data[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(Transfer(I2c(c.mode, 1, c.mode == 0 ? 0xC0 : 0xC2, c.offset, data, c.length, c.requestBytes, c.flags)),
              0);
    EXPECT_EQ(Shape(), c.shape);
    dpaux::KSXAUX_CLOSE_PARAM close{4};
    KSXAUX_CloseDll(&close);
  }
}

TEST_F(AuxIntelTest, ControlObjectWritesHeaderAndShortDataInOneTransaction) {
  OpenChannel();
  const std::uint8_t data[] = {1, 2, 3};
  dpaux::auxControl.SetOptions(dpaux::kFlagWriteHeaderEachTx);
  dpaux::auxControl.SetRequestBytes(16);
  dpaux::auxControl.SetMode(1);
  dpaux::auxControl.SetI2cAddress(0xC2);
  EXPECT_EQ(dpaux::auxControl.OffsetWrite(dpaux::kDisplayEdp, 0x00, 0x89, data, 3), 0u);
  EXPECT_EQ(Shape(), Lines{"aux.i2c write 0xC2 mot=0 bytes=0089010203 -> ack"});
}

TEST_F(AuxIntelTest, HeaderInEveryTransactionNeverFillsMoreThanTheRecordHolds) {
  OpenChannel();
  std::uint8_t data[15] = {};
  EXPECT_EQ(Transfer(I2c(1, 1, 0xC2, 0x0089, data, 15, 2, 0x80)), -1);  // 2 + 15 bytes in one transaction
  EXPECT_TRUE(Shape().empty());
  EXPECT_EQ(Transfer(I2c(1, 1, 0xC2, 0x0089, data, 14, 2, 0x80)), 0);
  EXPECT_EQ(Shape().size(), 1u);
}

TEST_F(AuxIntelTest, NativeTransfersGoInPiecesOf16) {
  OpenChannel();
  std::uint8_t data[40];
  for (int i = 0; i < 40; ++i) data[i] = static_cast<std::uint8_t>(i);
  dpaux::KSXAUX_NATIVE_PARAM write = Native(1, 0x200, data, 40);
  write.requestBytes = 2;  // the exports always use 16
  ASSERT_EQ(KSXAUX_NativeAuxAccess(&write), 0);
  EXPECT_EQ(Shape(), (Lines{"aux.native write 0x00200 bytes=000102030405060708090a0b0c0d0e0f -> ack",
                            "aux.native write 0x00210 bytes=101112131415161718191a1b1c1d1e1f -> ack",
                            "aux.native write 0x00220 bytes=2021222324252627 -> ack"}));
  std::uint8_t back[20] = {};
  dpaux::KSXAUX_NATIVE_PARAM read = Native(0, 0x20F, back, 20);
  ASSERT_EQ(KSXAUX_NativeAuxAccess(&read), 0);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(back[i], 15 + i) << i;
}

// A read of one register: exchange 1 is the offset, exchange 2 the data.
TEST_F(AuxIntelTest, DriverErrorsAndTheSharedRetryBudget) {
  struct Case {
    const char* name;
    const char* machine;
    std::int32_t result;
    std::size_t submits;
    bool emptyWrite;
  };
  const Case cases[] = {
      {"70 every time", R"({"intelGpu": {"faults": [{"at": 1, "times": 0, "error": 70}]}})", -1, 4, false},
      {"72 every time", R"({"intelGpu": {"faults": [{"at": 1, "times": 0, "error": 72}]}})", -1, 5, true},
      {"70 and 72 share three retries",
       R"({"intelGpu": {"faults": [{"at": 1, "error": 72}, {"at": 2, "error": 70}, {"at": 3, "error": 72},
                                   {"at": 4, "error": 70}]}})",
       -1, 4, false},
      {"another code", R"({"intelGpu": {"faults": [{"at": 1, "error": 71}]}})", -1, 2, true},
      {"70 twice, then through", R"({"intelGpu": {"faults": [{"at": 1, "times": 2, "error": 70}]}})", 0, 3, false},
      {"the sink defers twice", R"({"panel": {"auxFaults": [{"at": 1, "times": 2, "reply": "defer"}]}})", 0, 3,
       false},
      {"the sink NACKs", R"({"panel": {"auxFaults": [{"at": 1, "reply": "nack"}]}})", -1, 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dpaux::ForgetIntelDisplayIds();
    UseMachine(c.machine);
    OpenChannel();
    std::uint8_t byte = 0;
    EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0088, &byte, 1)), c.result);
    const Lines submits = TraceOf("cui.SetDataBlock aux");
    EXPECT_EQ(submits.size(), c.submits);
    const bool empty = !submits.empty() && submits.back().find("code=0 count=0") != std::string::npos;
    EXPECT_EQ(empty, c.emptyWrite);
    EXPECT_EQ(TraceOf("kernel32.Sleep 5").size(), std::min<std::size_t>(c.submits - (c.emptyWrite ? 2 : 1), 3));
    dpaux::KSXAUX_CLOSE_PARAM close{4};
    KSXAUX_CloseDll(&close);
  }
}

TEST_F(AuxIntelTest, ByteCountsOfZeroOrAboveThePieceFailWithoutCopying) {
  struct Case {
    const char* name;
    std::uint32_t mode, isWrite, length, requestBytes, flags, at, byteCount;
    bool native;
  };
  const Case cases[] = {
      {"read, 0", 1, 0, 4, 16, 0, 2, 0, false},
      {"read, above the piece", 1, 0, 4, 16, 0, 2, 5, false},
      {"read, above the record", 1, 0, 4, 16, 0, 2, 0xFFFFFFFF, false},
      {"write, 0", 1, 1, 4, 16, 0, 2, 0, false},
      {"write, above the piece", 1, 1, 4, 16, 0, 2, 5, false},
      {"header in every transaction, only the header", 1, 1, 4, 16, 0x80, 1, 2, false},
      {"header in every transaction, above the piece", 1, 1, 4, 16, 0x80, 1, 7, false},
      {"native read, 0", 0, 0, 4, 16, 0, 1, 0, true},
      {"native read, above the piece", 0, 0, 4, 16, 0, 1, 17, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dpaux::ForgetIntelDisplayIds();
    UseMachine(R"({"intelGpu": {"faults": [{"at": )" + std::to_string(c.at) + R"(, "byteCount": )" +
               std::to_string(c.byteCount) + "}]}}");
    OpenChannel();
    std::uint8_t data[8];
    std::memset(data, 0xEE, sizeof data);
    dpaux::KSXAUX_NATIVE_PARAM native = Native(c.isWrite, 0x100, data, c.length);
    const std::int32_t result =
        c.native ? KSXAUX_NativeAuxAccess(&native)
                 : Transfer(I2c(c.mode, c.isWrite, 0xC2, 0x0500, data, c.length, c.requestBytes, c.flags));
    EXPECT_EQ(result, -1);
    if (c.isWrite == 0) {
      EXPECT_TRUE(std::all_of(data, data + 8, [](std::uint8_t b) { return b == 0xEE; }));
    }
    dpaux::KSXAUX_CLOSE_PARAM close{4};
    KSXAUX_CloseDll(&close);
  }
}

// A native read that the driver answers short asks again for the rest, so a
// success never leaves bytes of the caller's buffer unread.
TEST_F(AuxIntelTest, ShortNativeReadsAskAgainForTheRest) {
  UseMachine(R"({"intelGpu": {"faults": [{"at": 1, "byteCount": 3}]},
                 "panel": {"dpcd": {"0x00100": "00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10 11"}}})");
  OpenChannel();
  std::uint8_t data[18];
  std::memset(data, 0xEE, sizeof data);
  dpaux::KSXAUX_NATIVE_PARAM native = Native(0, 0x100, data, sizeof data);
  ASSERT_EQ(KSXAUX_NativeAuxAccess(&native), 0);
  for (std::uint8_t i = 0; i < sizeof data; ++i) EXPECT_EQ(data[i], i);
  EXPECT_EQ(TraceOf("cui.GetDataBlock aux"),
            (Lines{"cui.GetDataBlock aux device=0x00000300 code=9 count=16 address=0x100 -> 0x00000000 error=0 count=3",
                   "cui.GetDataBlock aux device=0x00000300 code=9 count=15 address=0x103 -> 0x00000000 error=0 count=15"}));
}

// Other programs may hand any length: the transfer stops at the first
// failure, having read no more of the buffer than it sent.
TEST_F(AuxIntelTest, HugeLengthsStopAtTheFirstFailure) {
  OpenChannel();
  std::uint8_t data[32] = {};
  dpaux::KSXAUX_NATIVE_PARAM native = Native(1, 0xFFFF0, data, 0xFFFFFFFF);
  EXPECT_EQ(KSXAUX_NativeAuxAccess(&native), -1);  // the second piece would pass the last DPCD address
  EXPECT_EQ(TraceOf("aux.native").size(), 2u);
  ForgetTrace();
  dpaux::KSXAUX_I2C_PARAM i2c = I2c(99, 1, 0xA0, 0x0000, data, 0xFFFFFFFF);  // any other mode: block addressing
  EXPECT_EQ(Transfer(i2c), -1);
  // The offset (its result not looked at) and the first 16 data bytes, each ended by an empty write.
  EXPECT_EQ(TraceOf("aux.i2c"), (Lines{"aux.i2c write 0xA0 mot=1 bytes=00 -> nack", "aux.i2c write 0xA0 mot=0 bytes= -> nack",
                                       "aux.i2c write 0xA0 mot=1 bytes=00000000000000000000000000000000 -> nack",
                                       "aux.i2c write 0xA0 mot=0 bytes= -> nack"}));
}

TEST_F(AuxIntelTest, FindsTheDisplayIdentifierByLinkType) {
  struct Case {
    std::int32_t displayType;
    std::int32_t result;
    std::size_t lookups;
    const char* device;
  };
  const Case cases[] = {
      {dpaux::kDisplayVga, 0, 1, "device=0x00000100"},
      {dpaux::kDisplayEdp, 0, 3, "device=0x00000300"},  // the inactive eDP device is skipped
      {dpaux::kDisplayDp, 0, 5, "device=0x00000700"},   // a docked DP device counts as DP
      {dpaux::kDisplayHdmi, -1, 7, nullptr},            // Display1 ends at index 3, Display2 at 1, Display3 at 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.displayType);
    dpaux::ForgetIntelDisplayIds();
    OpenChannel(c.displayType);
    std::uint8_t byte = 0;
    EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0500, &byte, 1)), c.result);
    EXPECT_EQ(TraceOf("cui.EnumAttachedDevices").size(), c.lookups);
    const Lines blocks = TraceOf("cui.SetDataBlock aux");
    if (c.device != nullptr) {
      ASSERT_FALSE(blocks.empty());
      EXPECT_NE(blocks[0].find(c.device), std::string::npos) << blocks[0];
    } else {
      EXPECT_TRUE(blocks.empty());
    }
    dpaux::KSXAUX_CLOSE_PARAM close{4};
    KSXAUX_CloseDll(&close);
  }
}

TEST_F(AuxIntelTest, LooksAtNoMoreThan16DevicesPerDisplay) {
  std::string devices;
  for (int i = 0; i < 17; ++i) devices += R"({"id": 1, "type": 1, "status": 0}, )";
  UseMachine(R"({"intelGpu": {"displays": [{"name": "\\\\.\\Display1", "devices": [)" + devices +
             R"({"id": 2, "type": 2, "status": 0}]}]}})");
  OpenChannel();
  std::uint8_t byte = 0;
  EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0500, &byte, 1)), -1);
  EXPECT_EQ(TraceOf("cui.EnumAttachedDevices \"\\\\.\\Display1\"").size(), 16u);
}

TEST_F(AuxIntelTest, ReadAndWriteCachesKeepTheIdentifierNativeTransfersLookItUpEachTime) {
  OpenChannel();
  std::uint8_t data[2] = {};
  dpaux::KSXAUX_NATIVE_PARAM native = Native(0, 0, data, 1);
  ASSERT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0500, data, 1)), 0);
  ASSERT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0500, data, 1)), 0);
  EXPECT_EQ(TraceOf("cui.EnumAttachedDevices").size(), 3u);
  ASSERT_EQ(Transfer(I2c(1, 1, 0xC2, 0x0500, data, 1)), 0);
  ASSERT_EQ(Transfer(I2c(1, 1, 0xC2, 0x0500, data, 1)), 0);
  EXPECT_EQ(TraceOf("cui.EnumAttachedDevices").size(), 6u);
  ASSERT_EQ(KSXAUX_NativeAuxAccess(&native), 0);
  ASSERT_EQ(KSXAUX_NativeAuxAccess(&native), 0);
  EXPECT_EQ(TraceOf("cui.EnumAttachedDevices").size(), 12u);
}

TEST_F(AuxIntelTest, ACachedIdentifierServesOnlyItsLinkTypeAndFailuresAreNotKept) {
  OpenChannel(dpaux::kDisplayEdp);
  std::uint8_t byte = 0;
  ASSERT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0500, &byte, 1)), 0);
  dpaux::KSXAUX_CLOSE_PARAM close{4};
  KSXAUX_CloseDll(&close);
  OpenChannel(dpaux::kDisplayDp);
  ASSERT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0500, &byte, 1)), 0);
  EXPECT_EQ(TraceOf("cui.EnumAttachedDevices").size(), 5u);
  EXPECT_NE(TraceOf("cui.SetDataBlock aux")[0].find("device=0x00000700"), std::string::npos);
  KSXAUX_CloseDll(&close);
  OpenChannel(dpaux::kDisplayHdmi);
  EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0500, &byte, 1)), -1);
  EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0500, &byte, 1)), -1);
  EXPECT_EQ(TraceOf("cui.EnumAttachedDevices").size(), 14u);  // looked up again after the failure
}

TEST_F(AuxIntelTest, FailedTransfersLeaveTheChannelUsable) {
  UseMachine(R"({"intelGpu": {"faults": [{"at": 1, "error": 71}]}})");
  OpenChannel();
  std::uint8_t byte = 0;
  EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0201, &byte, 1)), -1);
  EXPECT_EQ(Transfer(I2c(1, 0, 0xC2, 0x0201, &byte, 1)), 0);
  EXPECT_EQ(byte, 0x61);
}

TEST_F(AuxIntelTest, PowerFeaturesAreSwitchedOffWhileOpenAndRestoredAtClose) {
  struct Case {
    const char* name;
    const char* machine;
    Lines atOpen, atClose;
  };
  const std::string read2 = "cui.GetDataBlock power source=2 operation=3 word8=0 word12=0x0 mask=0x0 features=0x0 "
                            "word160=3 word172=0 -> 0x00000000 error=0 features=";
  const std::string read1 = "cui.GetDataBlock power source=1 operation=3 word8=0 word12=0x0 mask=0x0 features=0x0 "
                            "word160=3 word172=0 -> 0x00000000 error=0 features=";
  const Case cases[] = {
      {"both bits, on line power", R"({"intelGpu": {"powerFeatures": "0x2C"}})",
       {read2 + "0x2C",
        "cui.SetDataBlock power source=2 operation=1 word8=0 word12=0x0 mask=0x28 features=0x4 word160=3 word172=0 "
        "-> 0x00000000 error=0 features=0x4"},
       {read2 + "0x4",
        "cui.SetDataBlock power source=2 operation=1 word8=0 word12=0x0 mask=0x20 features=0x24 word160=3 word172=0 "
        "-> 0x00000000 error=0 features=0x24",
        "cui.SetDataBlock power source=2 operation=1 word8=0 word12=0x1000 mask=0x8 features=0x2C word160=3 "
        "word172=1 -> 0x00000000 error=0 features=0x2C"}},
      {"bit 0x20 only, on battery", R"({"intelGpu": {"powerFeatures": "0x20"}, "power": {"acLine": "offline"}})",
       {read1 + "0x20",
        "cui.SetDataBlock power source=1 operation=1 word8=0 word12=0x0 mask=0x28 features=0x0 word160=3 word172=0 "
        "-> 0x00000000 error=0 features=0x0"},
       {read1 + "0x0",
        "cui.SetDataBlock power source=1 operation=1 word8=0 word12=0x0 mask=0x20 features=0x20 word160=3 word172=0 "
        "-> 0x00000000 error=0 features=0x20"}},
      {"bit 0x08 alone is left as it is", R"({"intelGpu": {"powerFeatures": "0x08"}, "power": {"acLine": "fails"}})",
       {read1 + "0x8"},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseMachine(c.machine);
    const std::uint32_t before = sim::CurrentMachine().intelGpu->powerFeatures;
    ForgetTrace();
    ASSERT_EQ(Open(), 0);
    EXPECT_EQ(TraceOf("cui.GetDataBlock power").size() + TraceOf("cui.SetDataBlock power").size(),
              c.atOpen.size());
    Lines power;
    for (const std::string& line : TraceOf("cui.")) {
      if (line.find(" power ") != std::string::npos) power.push_back(line);
    }
    EXPECT_EQ(power, c.atOpen);
    ForgetTrace();
    dpaux::KSXAUX_CLOSE_PARAM close{4};
    KSXAUX_CloseDll(&close);
    power.clear();
    for (const std::string& line : TraceOf("cui.")) {
      if (line.find(" power ") != std::string::npos) power.push_back(line);
    }
    EXPECT_EQ(power, c.atClose);
    EXPECT_EQ(TraceOf("cui.Release"), Lines{"cui.Release -> 0"});
    EXPECT_EQ(sim::CurrentMachine().intelGpu->powerFeatures, before);
  }
}

}  // namespace
