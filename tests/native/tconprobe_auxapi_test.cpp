// TAuxApi on the simulated panel: the open order, chunked and retried
// reads, the request shaping taken from the configuration, close.
#include "tests/native/tconprobe_fixture.h"

namespace tconprobe_test {
namespace {

using tconprobe::gAuxApi;
using tconprobe::gConfig;

class AuxApiTest : public TconprobeTest {
 protected:
  void SetUp() override {
    TconprobeTest::SetUp();
    Profile();
  }
  void TearDown() override {
    gAuxApi.Close();
    TconprobeTest::TearDown();
  }
  static void Profile() {
    tconprobe::LoadConfig("none.ini");
    tconprobe::ApplyBuiltInProfile(false, "");
  }
  // The AUX transactions since the last call, without their replies' data.
  std::vector<std::string> Transactions() {
    std::vector<std::string> lines;
    const std::vector<std::string> all = TraceOf("aux.");
    for (std::size_t i = seen_; i < all.size(); ++i) lines.push_back(all[i].substr(0, all[i].find(" -> ")));
    seen_ = all.size();
    return lines;
  }
  std::size_t seen_ = 0;
};

TEST_F(AuxApiTest, OpenTriesTheBackEndsInTurnAndKeepsTheLastTried) {
  struct Case {
    const char* machine;
    std::int32_t asked;
    int result;
    std::int32_t gpuType;
  };
  const char* nvidiaOnly =
      R"({"intelGpu": null, "nvidiaGpu": {"gpus": [{"displays": [{"id": 1, "connector": 71}]}]}})";
  const Case cases[] = {
      {nvidiaOnly, 0, 0, 2},  // Intel, AMD, then NVIDIA opens
      {nvidiaOnly, 2, 0, 2},
      {nvidiaOnly, 1, -1, 1},
      {"{}", 1, 0, 1},
      {"{}", 0, 0, 1},                     // Intel is tried first
      {R"({"intelGpu": null})", 0, -1, 2},  // then AMD, then NVIDIA
      {R"({"intelGpu": null})", 1, -1, 1},
      {"{}", 2, -1, 2},                    // NVIDIA only, whatever else there is
      {"{}", 3, -1, 3},
      {R"({"intelGpu": null, "amdGpu": {}})", 0, 0, 3},  // AMD opens after Intel failed
      {R"({"amdGpu": {}})", 3, 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.machine) + " " + std::to_string(c.asked));
    UseMachine(c.machine);
    Profile();
    EXPECT_EQ(gAuxApi.Open(c.asked), c.result);
    EXPECT_EQ(gConfig.GPU_TYPE, c.gpuType);
    EXPECT_EQ(gAuxApi.opened, c.result == 0 ? 1 : 0);
    gAuxApi.Close();
  }
}

TEST_F(AuxApiTest, OpenWhileOpenAndCloseWhileClosedChangeNothing) {
  ASSERT_EQ(gAuxApi.Open(1), 0);
  EXPECT_EQ(gAuxApi.Open(2), -1);
  EXPECT_EQ(gConfig.GPU_TYPE, 1);
  EXPECT_EQ(gAuxApi.opened, 1);
  std::uint8_t byte = 0;
  EXPECT_EQ(gAuxApi.I2cRead(0xC2, 0x0201, &byte, 1, 1), 0);  // the first channel still works
  EXPECT_EQ(gAuxApi.Close(), 0);
  EXPECT_EQ(gAuxApi.Close(), -1);
  Transactions();
  EXPECT_EQ(gAuxApi.I2cRead(0xC2, 0x0201, &byte, 1, 1), -1);
  EXPECT_EQ(gAuxApi.I2cWrite(0xC4, 0xFF0A, &byte, 1, 1), -1);
  EXPECT_EQ(gAuxApi.NativeWrite(0x102, &byte, 1), -1);
  EXPECT_TRUE(Transactions().empty());
}

TEST_F(AuxApiTest, ReadsGoInChunksWhoseOffsetCarriesIntoTheHighByte) {
  gConfig.EEPROM_RD_BUF_SIZE = 128;
  gConfig.AUX_REQUEST_BYTE = 16;
  ASSERT_EQ(gAuxApi.Open(1), 0);
  Transactions();
  std::uint8_t data[300] = {};
  EXPECT_EQ(gAuxApi.I2cRead(0xC2, 0x0500, data, 300, 1), 0);
  std::vector<std::string> headers;
  std::size_t reads = 0;
  for (const std::string& line : Transactions()) {
    if (line.rfind("aux.i2c write", 0) == 0) headers.push_back(line);
    if (line.rfind("aux.i2c read", 0) == 0) ++reads;
  }
  EXPECT_EQ(headers, (std::vector<std::string>{"aux.i2c write 0xC2 mot=1 bytes=0500",
                                               "aux.i2c write 0xC2 mot=1 bytes=0580",
                                               "aux.i2c write 0xC2 mot=1 bytes=0600"}));
  EXPECT_EQ(reads, 8u + 8u + 3u);  // 16 bytes a transaction: 128, 128 and 44
}

TEST_F(AuxApiTest, RequestBytesFollowTheConfigurationAndTheLength) {
  ASSERT_EQ(gAuxApi.Open(1), 0);
  Transactions();
  std::uint8_t byte = 0;
  // One byte with AUX_REQUEST_BYTE 2 is one transaction of 1 byte; the
  // profile's reads carry MOT on the offset phase.
  EXPECT_EQ(gAuxApi.I2cRead(0xC2, 0x0088, &byte, 1, 1), 0);
  EXPECT_EQ(Transactions(), (std::vector<std::string>{"aux.i2c write 0xC2 mot=1 bytes=0088", "aux.i2c read 0xC2 mot=0 count=1"}));
  gConfig.WRITE_MOT_ENABLED = 0;
  EXPECT_EQ(gAuxApi.I2cRead(0xC2, 0x0088, &byte, 1, 1), 0);
  EXPECT_EQ(Transactions().front(), "aux.i2c write 0xC2 mot=0 bytes=0088");
  std::uint8_t three[3] = {1, 2, 3};
  EXPECT_EQ(gAuxApi.I2cWrite(0xC4, 0xFF0F, three, 3, 1), 0);
  EXPECT_EQ(Transactions(), (std::vector<std::string>{"aux.i2c write 0xC4 mot=1 bytes=ff0f",
                                                      "aux.i2c write 0xC4 mot=1 bytes=0102",
                                                      "aux.i2c write 0xC4 mot=0 bytes=03"}));
  // WRITE_MOT_DISABLED: the header goes with the data and every write ends with a stop.
  gConfig.WRITE_MOT_DISABLED = 1;
  EXPECT_EQ(gAuxApi.I2cWrite(0xC4, 0xFF0F, three, 3, 1), 0);
  EXPECT_EQ(Transactions(), (std::vector<std::string>{"aux.i2c write 0xC4 mot=0 bytes=ff0f010203"}));
  EXPECT_EQ(gAuxApi.NativeWrite(0x102, three, 1), 0);
  EXPECT_EQ(Transactions(), (std::vector<std::string>{"aux.native write 0x00102 bytes=01"}));
}

TEST_F(AuxApiTest, AChunkIsTriedReadRetryCountTimes) {
  // The second transaction of the channel is the first read's data phase.
  for (const std::uint32_t retries : {1u, 2u}) {
    SCOPED_TRACE(retries);
    UseMachine(R"({"panel": {"auxFaults": [{"at": 2, "reply": "nack"}]}})");
    Profile();
    gConfig.READ_RETRY_CNT = retries;
    ASSERT_EQ(gAuxApi.Open(1), 0);
    std::uint8_t byte = 0;
    EXPECT_EQ(gAuxApi.I2cRead(0xC2, 0x0201, &byte, 1, 1), retries == 2 ? 0 : -1);
    EXPECT_EQ(byte, retries == 2 ? 0x61 : 0);
    gAuxApi.Close();
  }
}

TEST_F(AuxApiTest, ReadsThatWouldReadNothingFail) {
  ASSERT_EQ(gAuxApi.Open(1), 0);
  Transactions();
  std::uint8_t byte = 0;
  EXPECT_EQ(gAuxApi.I2cRead(0xC2, 0x0201, &byte, 0, 1), -1);
  gConfig.READ_RETRY_CNT = 0;
  EXPECT_EQ(gAuxApi.I2cRead(0xC2, 0x0201, &byte, 1, 1), -1);
  gConfig.READ_RETRY_CNT = 1;
  gConfig.EEPROM_RD_BUF_SIZE = 0;
  EXPECT_EQ(gAuxApi.I2cRead(0xC2, 0x0201, &byte, 1, 1), -1);
  EXPECT_TRUE(Transactions().empty());
}

}  // namespace
}  // namespace tconprobe_test
