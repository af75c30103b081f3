// The check on the simulated panel: the connect step, the region reads and
// their pieces, the waits on the simulated clock, and the logs they write.
#include <cstdio>

#include "tests/native/tconprobe_fixture.h"

namespace tconprobe_test {
namespace {

using tconprobe::gAuxApi;
using tconprobe::gConfig;

class CheckTest : public TconprobeTest {
 protected:
  // The configuration of a normal run, with the debug log in log.txt.
  void Configure() {
    tconprobe::LoadConfig("none.ini");
    tconprobe::ApplyBuiltInProfile(true, "log.txt");
  }
  // The debug log without its tick stamps, one entry per line.
  std::vector<std::string> DebugTexts() {
    std::vector<std::string> texts;
    const std::string log = Read("log.txt");
    std::size_t start = 0;
    while (start < log.size()) {
      const std::size_t end = log.find("\r\r\n", start);
      const std::string line = log.substr(start, end - start);
      texts.push_back(line.substr(line.find("] ") + 2));
      start = end + 3;
    }
    return texts;
  }
  // An open channel with the MCU connected, as the check has it before its
  // first region.
  void Connect() {
    Configure();
    ASSERT_EQ(gAuxApi.Open(gConfig.GPU_TYPE), 0);
    form.StartTcon();
    ASSERT_EQ(form.McuConnect(), 0);
  }
  std::uint64_t Now() const { return sim::CurrentMachine().clock.microseconds; }
  std::size_t StatusPolls() const { return TraceOf("aux.i2c write 0xC2 mot=1 bytes=0088").size(); }

  tconprobe::TMainForm form;
};

TEST_F(CheckTest, TheConnectStepAdoptsOnlyTheTwoTconAddresses) {
  struct Case {
    const char* reported;  // register 0x0201
    std::uint8_t result;
  };
  const Case cases[] = {{"61", 0xC2}, {"e0", 0xC0}, {"60", 0xC0}, {"50", 0xC2}, {"e1", 0xC2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reported);
    UseMachine(std::string(R"({"panel": {"tcon": {"registers": {"0x0201": ")") + c.reported + "\"}}}}");
    Configure();
    ASSERT_EQ(gAuxApi.Open(gConfig.GPU_TYPE), 0);
    form.McuConnect();
    gAuxApi.Close();
    EXPECT_EQ(gConfig.TCON_ADDR, c.result);
  }
}

TEST_F(CheckTest, AFailedResultByteFailsTheRegionThoughTheOthersAreRead) {
  // Transaction 32 starts the read of the result's middle byte; the first
  // and the last read well, but no stale byte may become part of the sum.
  UseMachine(R"({"panel": {"auxFaults": [{"at": 32, "reply": "nack"}]}})");
  Connect();
  std::uint32_t sum = 0;
  EXPECT_FALSE(form.ReadRegionChecksum(0x8287, 1, &sum));
  gAuxApi.Close();
  EXPECT_EQ(TraceOf("aux.i2c write 0xC2 mot=1 bytes=008a -> nack").size(), 1u);
  // The echo's and the result's three reads each; 0x89 is also cleared.
  EXPECT_EQ(TraceOf("aux.i2c write 0xC2 mot=1 bytes=0089").size(), 3u);
  EXPECT_EQ(TraceOf("aux.i2c write 0xC2 mot=1 bytes=008b").size(), 2u);
  EXPECT_EQ(TraceOf("aux.i2c read 0xC2 mot=0 count=1 -> ack").size(), 8u);
}

TEST_F(CheckTest, WaitsEndAtTheirTimeOutOnTheSimulatedClock) {
  // A poll costs 3 ms: the header and the read at 1 ms each, and the 1 ms
  // pause between them. The time-out is tested on the time taken at the
  // start of the poll before, so every poll that starts before it runs out
  // is made, and one more.
  struct Case {
    std::uint32_t size;
    std::uint32_t timeoutMs;
  };
  const Case cases[] = {{1, 10}, {0xFF, 10}, {0x100, 20}, {0xC000, 1930}, {0x10001, 2570}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    UseMachine(R"({"panel": {"mcu": {"neverDone": true}}})");
    Connect();
    const std::size_t pollsBefore = StatusPolls();
    std::uint32_t sum = 99;
    EXPECT_FALSE(form.ReadRegionChecksum(0, c.size, &sum));
    gAuxApi.Close();
    EXPECT_EQ(sum, 0u);
    EXPECT_EQ(StatusPolls() - pollsBefore, (c.timeoutMs + 2) / 3 + 1);
    EXPECT_EQ(DebugTexts().back(), "timeout on action 86, connect status is 0, rdBack status 06");
  }
}

TEST_F(CheckTest, AStatusOfAnotherActionEndsTheWaitAtOnce) {
  UseMachine(R"({"panel": {"mcu": {"actionStatus": "0x88"}}})");
  Connect();
  const std::size_t pollsBefore = StatusPolls();
  std::uint32_t sum = 0;
  EXPECT_FALSE(form.ReadRegionChecksum(0x8287, 1, &sum));
  gAuxApi.Close();
  EXPECT_EQ(StatusPolls() - pollsBefore, 1u);
  EXPECT_EQ(DebugTexts().back(), "action mismatch read:88, send:86");
}

TEST_F(CheckTest, FailedStatusReadsPauseAndAreRetriedUntilTheTimeOut) {
  // From transaction 29 on (the first poll) the bus refuses everything.
  UseMachine(R"({"panel": {"auxFaults": [{"at": 29, "times": 0, "reply": "nack"}]}})");
  Connect();
  const std::size_t pausesBefore = TraceOf("kernel32.Sleep 1").size();
  const std::uint64_t before = Now();
  std::uint32_t sum = 0;
  EXPECT_FALSE(form.ReadRegionChecksum(0x8287, 1, &sum));
  gAuxApi.Close();
  EXPECT_GE(Now() - before, 10000u);
  EXPECT_GE(TraceOf("kernel32.Sleep 1").size() - pausesBefore, 2u);
  // No status byte was ever read: the line shows 00.
  EXPECT_EQ(DebugTexts().back(), "timeout on action 86, connect status is -1, rdBack status 00");
}

TEST_F(CheckTest, LargeRegionsGoInPiecesWhoseResultsAddUp) {
  // ROM bytes 1 at 0x0000 and 0xFFFF, 2 at 0x10000, 4 at 0x1FFFF, the rest 0
  // (no program in it).
  UseMachine(R"({"panel": {"flash": null, "rom": {"size": 131072, "fill": "0x00",
                 "bytes": {"0x8287": "00", "0x0000": "01", "0xFFFF": "01", "0x10000": "02", "0x1FFFF": "04"}}}})");
  Connect();
  std::uint32_t sum = 0;
  EXPECT_TRUE(form.ReadRegionChecksum(0, 0x10001, &sum));
  EXPECT_EQ(sum, 4u);
  EXPECT_TRUE(form.ReadRegionChecksum(0xFFFF, 0x10001, &sum));
  EXPECT_EQ(sum, 7u);
  EXPECT_TRUE(form.ReadRegionChecksum(0x100, 0, &sum));  // nothing to read
  EXPECT_EQ(sum, 0u);
  gAuxApi.Close();
  // The action commands: start and length, 24 bits each, a full piece as 01 00 00.
  const std::vector<std::string> actions = TraceOf("aux.i2c write 0xC4 mot=");
  std::string commands;
  for (const std::string& line : actions) commands += line.substr(line.find("bytes=") + 6, 4) + " ";
  EXPECT_NE(commands.find("ff06 0000 0001 0000 ff06 0100 0000 0001 "), std::string::npos) << commands;
  EXPECT_NE(commands.find("ff06 00ff ff01 0000 ff06 01ff ff00 0001 "), std::string::npos) << commands;
  EXPECT_EQ(DebugTexts(), (std::vector<std::string>{
                              "partial checksum of 000000 is 000002", "partial checksum of 010000 is 000002",
                              "Whole checksum is 000004", "partial checksum of 000000 is 000003",
                              "partial checksum of 010000 is 000004", "Whole checksum is 000007",
                              "Whole checksum is 000000"}));
}

TEST_F(CheckTest, TheResultIsTheLastRegionLookedAt) {
  struct Case {
    const char* name;
    std::uint32_t count;
    std::uint32_t signatures[3];
    int result;
    std::vector<std::string> memo;
  };
  // Regions 0x8287 (8), 0x8288 (9) and 0x8289 (10), one byte each.
  const Case cases[] = {
      {"all match", 3, {8, 9, 10}, 0,
       {"CHECKSUM MODE", "Read checksum:000008", "Read checksum:000009", "Read checksum:00000A"}},
      {"the second mismatches: the third is not read", 3, {8, 7, 10}, 1,
       {"CHECKSUM MODE", "Read checksum:000008", "Read checksum:000009"}},
      {"no region", 0, {0, 0, 0}, 1, {"CHECKSUM MODE"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseMachine(R"({"panel": {"rom": {"bytes": {"0x8287": "08 09 0a"}}}})");
    Configure();
    gConfig.ROM_CKS_COUNT = c.count;
    for (std::uint32_t i = 0; i < 3; ++i) {
      gConfig.ROM_CKS_ADDR[i] = 0x8287 + i;
      gConfig.ROM_CKS_SIZE[i] = 1;
      gConfig.ROM_CKS_SIGNATURE[i] = c.signatures[i];
    }
    form = tconprobe::TMainForm{};
    EXPECT_EQ(form.RunRomCheck(0), c.result);
    EXPECT_EQ(std::vector<std::string>(form.memo_Run.begin() + 1, form.memo_Run.end()), c.memo);
    EXPECT_EQ(gAuxApi.opened, 0);
  }
}

TEST_F(CheckTest, AFailedRegionFollowedByAMatchingOneEndsAsAMatch) {
  // The action takes 17 ms: the 1-byte region waits 10 ms and fails, the
  // 0x100-byte one waits 20 ms and gets its sum (8 and 255 bytes of 0xFF).
  UseMachine(R"({"panel": {"mcu": {"checksumMilliseconds": 17}}})");
  Configure();
  gConfig.ROM_CKS_COUNT = 2;
  gConfig.ROM_CKS_ADDR[1] = 0x8287;
  gConfig.ROM_CKS_SIZE[1] = 0x100;
  gConfig.ROM_CKS_SIGNATURE[1] = 0xFE09;
  EXPECT_EQ(form.RunRomCheck(0), 0);
  EXPECT_EQ(std::vector<std::string>(form.memo_Run.begin() + 1, form.memo_Run.end()),
            (std::vector<std::string>{"CHECKSUM MODE", "Read Checksum Fail", "Read checksum:00FE09"}));
  EXPECT_EQ(form.le_RomCksReadValue.fontColour, tconprobe::FontColour::Blue);
}

TEST_F(CheckTest, TheSumIsShownInSixDigitsAndComparedInItsLow16Bits) {
  // 0x249 bytes of 0x80 add up to 0x12480.
  UseMachine(R"({"panel": {"rom": {"size": 65536, "fill": "0x80"}}})");
  Configure();
  gConfig.ROM_CKS_ADDR[0] = 0;
  gConfig.ROM_CKS_SIZE[0] = 0x249;
  gConfig.ROM_CKS_SIGNATURE[0] = 0x2480;
  EXPECT_EQ(form.RunRomCheck(0), 0);
  EXPECT_EQ(form.memo_Run.back(), "Read checksum:012480");
  EXPECT_EQ(form.readValues[0], 0x2480);
  EXPECT_EQ(form.le_RomCksReadValue.text, "2480");
}

}  // namespace
}  // namespace tconprobe_test
