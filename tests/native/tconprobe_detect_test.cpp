// Detection on the simulated panel: the six trials, flash and EEPROM, the
// TCON address, the program address candidates, the version record, the
// configuration it leaves and the lines of the detect log.
#include <cstdio>
#include <regex>

#include "tconprobe/app/tcon_models.h"
#include "tests/native/tconprobe_fixture.h"

namespace tconprobe_test {
namespace {

using tconprobe::gAuxApi;
using tconprobe::gConfig;

constexpr char kStamp[] = "[2021-11-28 16:26:58] ";

// The lines of the detect log up to and with "Detect Model parameter" on the
// built-in KS52310 panel, hex dumps folded into their byte counts.
const std::vector<std::string> kFlashSearch = {
    std::string(kStamp) + "Detect GPU and DP interface",
    "gpu:1, dp:3",
    "gpu:1, dp:2",
    "CHECK I2C over AUX",
    "<hex 128>",
    "MEMORY: FLASH",
    std::string(kStamp) + "Detect Model parameter",
};

class DetectTest : public TconprobeTest {
 protected:
  // Each machine starts without the trace and detect log of the one before.
  void UseMachine(const std::string& patch) {
    TconprobeTest::UseMachine(patch);
    std::remove(Path("trace.txt").c_str());
    std::remove(Path("detect_log.txt").c_str());
  }
  // The configuration of a run and a detection-only form, with whatever the
  // test sets in between, as a "-T" run has them.
  void Configure() {
    tconprobe::LoadConfig("KS52310_flash.ini");
    tconprobe::ApplyBuiltInProfile(false, "");
  }
  void Detect() {
    form = tconprobe::TMainForm{};
    form.runMode = 1;
    form.detectLog = platform::OpenTextFile("detect_log.txt", "a");
    form.Detect();
    platform::CloseTextFile(form.detectLog);
    form.detectLog = nullptr;
  }
  void ConfigureAndDetect() {
    Configure();
    Detect();
  }

  // The detect log's lines without CR LF; runs of hex dump lines become
  // "<hex N>" with their byte count.
  std::vector<std::string> LogLines() const {
    static const std::regex kHexLine("([0-9A-F]{2} ){8}");
    std::vector<std::string> lines;
    const std::string log = Read("detect_log.txt");
    int hexBytes = 0;
    for (std::size_t start = 0; start < log.size();) {
      const std::size_t end = log.find("\r\n", start);
      const std::string line = log.substr(start, end - start);
      start = end == std::string::npos ? log.size() : end + 2;
      if (std::regex_match(line, kHexLine)) {
        hexBytes += 8;
        continue;
      }
      if (hexBytes > 0) lines.push_back("<hex " + std::to_string(hexBytes) + ">");
      hexBytes = 0;
      lines.push_back(line);
    }
    if (hexBytes > 0) lines.push_back("<hex " + std::to_string(hexBytes) + ">");
    return lines;
  }
  // The hex dump lines that follow the given text line, joined.
  std::string DumpAfter(const std::string& text) const {
    const std::string log = Read("detect_log.txt");
    std::size_t at = log.find(text + "\r\n");
    if (at == std::string::npos) return "";
    at += text.size() + 2;
    std::string bytes;
    static const std::regex kHexLine("([0-9A-F]{2} ){8}");
    for (std::size_t end; (end = log.find("\r\n", at)) != std::string::npos; at = end + 2) {
      const std::string line = log.substr(at, end - at);
      if (!std::regex_match(line, kHexLine)) break;
      bytes += line;
    }
    return bytes;
  }
  std::string LastLine() const { return LogLines().back(); }
  // Failed reads from the MCU in the trace.
  std::size_t FailedMcuReads() const {
    std::size_t count = 0;
    for (const std::string& line : TraceOf("aux.i2c read 0xC4 ")) count += line.find("-> nack") != std::string::npos;
    return count;
  }

  // The number of the AUX transaction (counted from 1 over the run) that
  // comes `after` transactions past the `occurrence`-th one starting with
  // the prefix, in a run of the current machine without faults.
  std::uint64_t TransactionAfter(const std::string& prefix, int occurrence, int after) const {
    std::uint64_t number = 0;
    for (const std::string& line : TraceLines()) {
      if (line.rfind("aux.", 0) != 0) continue;
      ++number;
      if (line.rfind(prefix, 0) == 0 && --occurrence == 0) return number + after;
    }
    return 0;
  }
  // The machine with a NACK forced on one transaction.
  void UseMachineFailing(const std::string& patch, std::uint64_t transaction) {
    auto machine = nlohmann::ordered_json::parse(patch);
    machine["panel"]["auxFaults"] = nlohmann::ordered_json::array({{{"at", transaction}, {"reply", "nack"}}});
    UseMachine(machine.dump());
  }

  tconprobe::TMainForm form;
};

TEST_F(DetectTest, FindsTheKs52310PanelOnEdpBehindIntel) {
  EXPECT_EQ(Run({"-T"}), 4);
  std::vector<std::string> expected = kFlashSearch;
  for (const char* line : {"TCON addr:0xC2, MCU addr:0xC4", "Test flash prog addr:0xD000", "<hex 128>",
                           "Test flash prog addr:0xE000", "<hex 128>", "Test flash prog addr:0x5000", "<hex 128>",
                           "FLASH_PROG_ADDR:0x5000", "<hex 256>", "recommend based model:KS52310.ini"}) {
    expected.push_back(line);
  }
  EXPECT_EQ(LogLines(), expected);
  // Every line is text mode's CR LF; a hex dump line ends with a blank.
  EXPECT_EQ(Read("detect_log.txt").rfind("[2021-11-28 16:26:58] Detect GPU and DP interface\r\ngpu:1, dp:3\r\n", 0),
            0u);
  // The version area starts with the record; the candidate 0x5000 shows the probe block.
  EXPECT_EQ(DumpAfter("FLASH_PROG_ADDR:0x5000").substr(0, 24 + 6), "55 AA 66 99 56 45 52 53 23 10 ");
  EXPECT_EQ(DumpAfter("Test flash prog addr:0x5000"), DumpAfter("CHECK I2C over AUX"));
  EXPECT_NE(DumpAfter("Test flash prog addr:0xD000"), DumpAfter("CHECK I2C over AUX"));
  // Only the lines meant for the memo reach it.
  EXPECT_EQ(Form().memo_Run, (std::vector<std::string>{"LOG MESSAGE:", kFlashSearch[0], "gpu:1, dp:3", "gpu:1, dp:2",
                                                      "CHECK I2C over AUX", kFlashSearch[6]}));
  EXPECT_EQ(gConfig.GPU_TYPE, 1);
  EXPECT_EQ(gConfig.DEVICE_TYPE, 2);
  EXPECT_EQ(gConfig.TCON_ADDR, 0xC2);
  EXPECT_EQ(gConfig.EEPROM_ADDR, 0xC4);
  EXPECT_EQ(gConfig.FLASH_PROG_ADDR, 0x5000);
  EXPECT_EQ(gConfig.TCON_INIT_FLOW, 5u);
  EXPECT_EQ(gAuxApi.opened, 0);
  // Nothing else: no check, no document, no status shown.
  EXPECT_FALSE(testsupport::FileExists(Path("QIV.xml")));
  EXPECT_EQ(Form().statBar[0], "");
  EXPECT_EQ(TraceOf("aux.i2c write 0xC4 mot=1 bytes=ff0a").size(), 0u);
  // The eDP trial writes the DPCD and reads the probe block twice; the DP
  // trial found no DisplayPort device and reached no bus.
  const std::vector<std::string> native = TraceOf("aux.native");
  ASSERT_EQ(native.size(), 4u);
  EXPECT_EQ(native[0], "aux.native write 0x00102 bytes=00 -> ack");
  EXPECT_EQ(native[1], "aux.native write 0x00102 bytes=c0 -> ack");
  EXPECT_EQ(native[2], "aux.native write 0x00102 bytes=00 -> ack");
  EXPECT_EQ(native[3], "aux.native write 0x00102 bytes=c0 -> ack");
  EXPECT_EQ(TraceOf("aux.i2c write 0xC4 mot=1 bytes=0500").size(), 2u);
  EXPECT_EQ(TraceOf("aux.i2c write 0xC4 mot=1 bytes=0201").size(), 2u);
  EXPECT_EQ(TraceOf("aux.i2c write 0xC4 mot=1 bytes=ff03").size(), 2u);
  EXPECT_EQ(TraceOf("aux.i2c write 0xC4 mot=0 bytes=0080").size(), 1u);
  EXPECT_EQ(TraceOf("aux.i2c write 0xC4 mot=0 bytes=0070").size(), 1u);
  EXPECT_EQ(TraceOf("aux.i2c write 0xC4 mot=1 bytes=5f00").size(), 2u);
  EXPECT_EQ(TraceOf("aux.i2c write 0xC4 mot=1 bytes=5f80").size(), 2u);
}

TEST_F(DetectTest, TheModelDecidesFlowAndReadBackWidth) {
  struct Case {
    const char* panel;  // the "panel" patch
    std::uint32_t flow;
    std::int32_t oneByteReads;
    int status;
    const char* lastLine;
  };
  // Flow 99 and width 7 before detection show what it leaves alone.
  const Case cases[] = {
      {R"({"flash": {"modelId": "0x2230"}})", 4, 1, 4, "recommend based model:KS52230.ini"},
      {R"({"flash": {"modelId": "0x2310"}})", 5, 1, 4, "recommend based model:KS52310.ini"},
      {R"({"flash": {"modelId": "0x231B"}})", 5, 1, 4, "recommend based model:KS52310.ini"},
      {R"({"flash": {"modelId": "0x231C"}})", 5, 1, 4, "recommend based model:KS52310.ini"},
      {R"({"flash": {"modelId": "0x2320"}})", 6, 0, 4, "recommend based model:KS52320.ini"},
      {R"({"flash": {"modelId": "0x2330"}})", 10, 0, 4, "recommend based model:KS52330.ini"},
      {R"({"flash": {"modelId": "0x2311"}})", 99, 7, 5, "recommend based model:unknown"},
      {R"({"flash": {"modelId": "0x0000"}})", 99, 7, 5, "recommend based model:unknown"},
      {R"({"flash": {"versionRecordAt": "0x0000"}})", 99, 7, 5, "NO TCON FLOW AVAILABLE"},
      {R"({"flash": null, "eeprom": {"signatureAt": ["0x0400"]}})", 2, 7, 4, "recommend based model:KS52400.ini"},
      {R"({"flash": null, "eeprom": {"signatureAt": ["0x0500"]}})", 8, 7, 4, "recommend based model:KS52410.ini"},
      {R"({"flash": null, "eeprom": {"signatureAt": ["0x0500", "0x0400"]}})", 2, 7, 4,
       "recommend based model:KS52400.ini"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.panel);
    UseMachine(std::string(R"({"panel": )") + c.panel + "}");
    Configure();
    gConfig.RunStatus = 4;
    gConfig.TCON_INIT_FLOW = 99;
    gConfig.REG_ONE_BYTE_READ = 7;
    Detect();
    EXPECT_EQ(gConfig.TCON_INIT_FLOW, c.flow);
    EXPECT_EQ(gConfig.REG_ONE_BYTE_READ, c.oneByteReads);
    EXPECT_EQ(gConfig.RunStatus, c.status);
    EXPECT_EQ(LastLine(), c.lastLine);
    EXPECT_EQ(gConfig.GPU_TYPE, 1);
    EXPECT_EQ(gConfig.DEVICE_TYPE, 2);
    EXPECT_EQ(gAuxApi.opened, 0);
  }
}

TEST_F(DetectTest, AnEepromIsFoundByItsSignatureAfterAProbeBlockThatIsNoFlash) {
  UseMachine(R"({"panel": {"flash": null, "eeprom": {"signatureAt": ["0x0500"]}}})");
  EXPECT_EQ(Run({"-T"}), 4);
  // The probe block's dump runs on into the EEPROM's eight bytes.
  std::vector<std::string> expected(kFlashSearch.begin(), kFlashSearch.begin() + 4);
  for (const char* line : {"<hex 136>", "EEPROM:040 Series"}) expected.push_back(line);
  expected.push_back(kFlashSearch[6]);
  expected.push_back("recommend based model:KS52410.ini");
  EXPECT_EQ(LogLines(), expected);
  // Four bytes from each block, the high offset byte in the device address.
  EXPECT_EQ(TraceOf("aux.i2c write 0xC8 mot=1 bytes=00 -> ack").size(), 1u);
  EXPECT_EQ(TraceOf("aux.i2c write 0xCA mot=1 bytes=00 -> ack").size(), 1u);
  const std::string log = Read("detect_log.txt");
  EXPECT_NE(log.find("FF FF FF FF 2D 5A 5A 5A \r\nEEPROM:040 Series\r\n"), std::string::npos) << log;
  EXPECT_EQ(gConfig.TCON_ADDR, 0xC2);  // the EEPROM path sets no addresses
  EXPECT_EQ(gConfig.EEPROM_ADDR, 0xC4);
}

TEST_F(DetectTest, ABlockThatAddsUpToAMultipleOf256IsNeverFlash) {
  // 80 80 and zeros: the sum is 256, so byte 127 would have to be 256, and
  // as a byte that is the 00 it holds. Byte 127 FF is no flash either.
  for (const char* last : {"00", "ff"}) {
    SCOPED_TRACE(last);
    std::string hex = "8080";
    hex += std::string(125 * 2, '0');
    hex += last;
    UseMachine(R"({"panel": {"flash": {"probeBlock": ")" + hex + R"("}, "eeprom": {"signatureAt": []}}})");
    ConfigureAndDetect();
    const std::vector<std::string> lines = LogLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "MEMORY: FLASH"), 0);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "EEPROM:unknown"), 1);
  }
  // One byte off a multiple of 256 with the matching byte 127 is flash.
  std::string hex = "8081" + std::string(125 * 2, '0') + "ff";
  UseMachine(R"({"panel": {"flash": {"probeBlock": ")" + hex + R"("}}})");
  ConfigureAndDetect();
  EXPECT_EQ(LastLine(), "recommend based model:KS52310.ini");
}

TEST_F(DetectTest, TheTconAddressIsAdoptedWhenItDiffersWithoutItsReadBit) {
  struct Case {
    const char* reported;  // register 0x0201 of the TCON, which the MCU names too
    std::uint8_t entered;  // TCON_ADDR before detection
    std::uint8_t result;
    const char* line;  // "" when no "TCON ADDR:" line is logged
  };
  const Case cases[] = {{"61", 0xC2, 0xC2, ""},
                        {"61", 0xC3, 0xC3, ""},  // compared with bit 0 cleared
                        {"60", 0xC2, 0xC0, "TCON ADDR:0xC0"},
                        {"e1", 0xC2, 0xC2, ""},  // the top bit falls out of the byte
                        {"00", 0xC2, 0x00, "TCON ADDR:0x00"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reported);
    UseMachine(std::string(R"({"panel": {"tcon": {"registers": {"0x0201": ")") + c.reported + "\"}}}}");
    Configure();
    gConfig.TCON_ADDR = c.entered;
    Detect();
    EXPECT_EQ(gConfig.TCON_ADDR, c.result);
    const std::vector<std::string> lines = LogLines();
    const auto tconLine = std::find(lines.begin(), lines.end(), std::string(kStamp) + "Detect Model parameter") + 1;
    ASSERT_LT(tconLine, lines.end());
    if (c.line[0] != '\0') {
      EXPECT_EQ(*tconLine, c.line);
      EXPECT_EQ(*(tconLine + 1), "TCON addr:0x" + std::string(c.line + 12) + ", MCU addr:0xC4");
    } else {
      char text[40];
      std::snprintf(text, sizeof text, "TCON addr:0x%02X, MCU addr:0xC4", c.result);
      EXPECT_EQ(*tconLine, text);
    }
  }
}

TEST_F(DetectTest, AFailedTconAddressReadLeavesTheAddress) {
  const std::string panel = R"({"panel": {"tcon": {"address": "0xC0"}}})";
  UseMachine(panel);
  ConfigureAndDetect();
  ASSERT_EQ(gConfig.TCON_ADDR, 0xC0);
  // The first of the two reads failing changes nothing; the second failing
  // keeps the address of the profile.
  const std::uint64_t first = TransactionAfter("aux.i2c write 0xC4 mot=1 bytes=0201", 1, 1);
  const std::uint64_t second = TransactionAfter("aux.i2c write 0xC4 mot=1 bytes=0201", 2, 1);
  for (const auto& [transaction, address] : {std::pair{first, 0xC0}, std::pair{second, 0xC2}}) {
    SCOPED_TRACE(transaction);
    UseMachineFailing(panel, transaction);
    ConfigureAndDetect();
    EXPECT_EQ(TraceOf("aux.i2c read 0xC4 mot=0 count=1 -> nack").size(), 1u);
    EXPECT_EQ(gConfig.TCON_ADDR, address);
    const std::vector<std::string> lines = LogLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "TCON ADDR:0xC0"), address == 0xC0 ? 1 : 0);
    EXPECT_EQ(LastLine(), "recommend based model:KS52310.ini");
  }
}

TEST_F(DetectTest, TheProgramAddressIsTheFirstCandidateThatShowsTheProbeBlock) {
  struct Case {
    const char* program;  // where the MCU's program lies
    const char* ini;      // FLASH_PROG_ADDR from the model file
    int tested;           // "Test flash prog addr:" lines
    const char* found;
    std::int32_t programAddress;
    const char* lastLine;
  };
  const char* const ks52310 = "recommend based model:KS52310.ini";
  const Case cases[] = {
      {"0xD000", "0x5000", 1, "FLASH_PROG_ADDR:0xD000", 0xD000, ks52310},
      {"0xE000", "0x5000", 2, "FLASH_PROG_ADDR:0xE000", 0xE000, ks52310},
      {"0x5000", "0x1234", 3, "FLASH_PROG_ADDR:0x5000", 0x5000, ks52310},
      {"0x6000", "0x6000", 3, "NO_FLASH_PROG_ADDR_AVAILABLE", 0x6000, ks52310},
      // The version area of the largest configured address wraps to 0x0EFF.
      {"0x6000", "0x7FFFFFFF", 3, "NO_FLASH_PROG_ADDR_AVAILABLE", 0x7FFFFFFF, "NO TCON FLOW AVAILABLE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.program) + c.ini);
    UseMachine(std::string(R"({"panel": {"flash": {"programAddress": ")") + c.program + "\"}}}");
    testsupport::WriteFile(Path("KS52310_flash.ini"), std::string("[GENERAL]\r\nFLASH_PROG_ADDR=") + c.ini + "\r\n");
    std::remove(Path("detect_log.txt").c_str());
    ConfigureAndDetect();
    const std::vector<std::string> lines = LogLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.rfind("Test flash prog addr:", 0) == 0; }),
              c.tested);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), c.found), 1);
    EXPECT_EQ(gConfig.FLASH_PROG_ADDR, c.programAddress);
    // The version record follows the program address found or configured.
    EXPECT_EQ(LastLine(), c.lastLine);
    if (c.programAddress == 0x7FFFFFFF) {
      EXPECT_EQ(TraceOf("aux.i2c write 0xC4 mot=1 bytes=0eff").size(), 2u);
      EXPECT_EQ(TraceOf("aux.i2c write 0xC4 mot=1 bytes=0f7f").size(), 2u);
    }
  }
}

TEST_F(DetectTest, AFailedSecondCandidateReadNeverMatches) {
  const std::string panel = R"({"panel": {"flash": {"programAddress": "0xE000"}}})";
  UseMachine(panel);
  ConfigureAndDetect();
  ASSERT_EQ(gConfig.FLASH_PROG_ADDR, 0xE000);
  // The first read of candidate 0xE000 failing still finds it; the second
  // failing does not, though the first read the block, and its dump is zeros.
  const std::uint64_t first = TransactionAfter("aux.i2c write 0xC4 mot=1 bytes=e500", 1, 1);
  const std::uint64_t second = TransactionAfter("aux.i2c write 0xC4 mot=1 bytes=e500", 2, 64);
  for (const auto& [transaction, found] : {std::pair{first, true}, std::pair{second, false}}) {
    SCOPED_TRACE(transaction);
    UseMachineFailing(panel, transaction);
    testsupport::WriteFile(Path("KS52310_flash.ini"), "[GENERAL]\r\nFLASH_PROG_ADDR=0xE000\r\n");
    ConfigureAndDetect();
    EXPECT_EQ(FailedMcuReads(), 1u);
    const std::vector<std::string> lines = LogLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "FLASH_PROG_ADDR:0xE000"), found ? 1 : 0);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "NO_FLASH_PROG_ADDR_AVAILABLE"), found ? 0 : 1);
    if (!found) {
      std::string zeros;
      for (int i = 0; i < 128; ++i) zeros += "00 ";
      EXPECT_EQ(DumpAfter("Test flash prog addr:0xE000"), zeros);
    }
    std::remove(Path("KS52310_flash.ini").c_str());
  }
}

TEST_F(DetectTest, TheVersionRecordMayLieAnywhereItsModelIdFits) {
  struct Case {
    const char* at;  // 0x5F00 is the start of the 256 bytes read
    const char* lastLine;
  };
  const Case cases[] = {
      {"0x5F00", "recommend based model:KS52320.ini"},
      {"0x5F7C", "recommend based model:KS52320.ini"},  // across the two halves
      {"0x5FF6", "recommend based model:KS52320.ini"},  // position 246
      {"0x5FF7", "NO TCON FLOW AVAILABLE"},             // 247: the id would end outside
      {"0x5EFF", "NO TCON FLOW AVAILABLE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.at);
    UseMachine(std::string(R"({"panel": {"flash": {"modelId": "0x2320", "versionRecordAt": ")") + c.at + "\"}}}");
    ConfigureAndDetect();
    EXPECT_EQ(LastLine(), c.lastLine);
  }
  // The first record wins.
  UseMachine(R"({"panel": {"flash": {"modelId": "0x2320", "versionRecordAt": "0x5F40"},
                           "rom": {"bytes": {"0x5F20": "55 AA 66 99 56 45 52 53 22 30"}}}})");
  ConfigureAndDetect();
  EXPECT_EQ(LastLine(), "recommend based model:KS52230.ini");
}

TEST_F(DetectTest, AVersionHalfThatFailsToReadHoldsNoRecord) {
  UseMachine("{}");
  ConfigureAndDetect();
  ASSERT_EQ(LastLine(), "recommend based model:KS52310.ini");
  // The record lies at the start of the first half; its second read fails
  // on its last piece, after the record's bytes had arrived.
  UseMachineFailing("{}", TransactionAfter("aux.i2c write 0xC4 mot=1 bytes=5f00", 2, 64));
  Configure();
  gConfig.RunStatus = 4;
  gConfig.TCON_INIT_FLOW = 99;
  Detect();
  EXPECT_EQ(FailedMcuReads(), 1u);
  EXPECT_EQ(LastLine(), "NO TCON FLOW AVAILABLE");
  EXPECT_EQ(gConfig.RunStatus, 5);
  EXPECT_EQ(gConfig.TCON_INIT_FLOW, 99u);
  EXPECT_EQ(DumpAfter("FLASH_PROG_ADDR:0x5000").substr(0, 24), "00 00 00 00 00 00 00 00 ");
  EXPECT_EQ(gAuxApi.opened, 0);
}

TEST_F(DetectTest, NothingFoundRestoresGpuAndLinkAndEndsWith5) {
  struct Case {
    const char* machine;
    std::vector<std::string> tail;  // the log's last lines
    std::string eepromDump;
  };
  const std::vector<std::string> otherGpus = {"gpu:2, dp:3", "gpu:2, dp:2", "gpu:3, dp:3", "gpu:3, dp:2",
                                              "NO GPU AVAILABLE"};
  std::vector<std::string> afterEeprom = {"<hex 136>", "EEPROM:unknown"};
  afterEeprom.insert(afterEeprom.end(), otherGpus.begin(), otherGpus.end());
  const Case cases[] = {
      {R"({"intelGpu": null})", {"gpu:3, dp:3", "gpu:3, dp:2", "NO GPU AVAILABLE"}, ""},
      // The last trial, AMD on eDP, fails to open: the EEPROM without a
      // signature on Intel counts for nothing.
      {R"({"panel": {"flash": null, "eeprom": {}}})", afterEeprom, "FF FF FF FF FF FF FF FF "},
      // Without an EEPROM its reads fail and leave zeros.
      {R"({"panel": {"flash": null}})", afterEeprom, "00 00 00 00 00 00 00 00 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.machine);
    UseMachine(c.machine);
    Configure();
    gConfig.GPU_TYPE = 0;
    gConfig.DEVICE_TYPE = 6;
    gConfig.RunStatus = 4;
    Detect();
    const std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), c.tail.size());
    const std::vector<std::string> tail(lines.end() - static_cast<std::ptrdiff_t>(c.tail.size()), lines.end());
    EXPECT_EQ(tail, c.tail);
    if (!c.eepromDump.empty()) {
      const std::string dumps = DumpAfter("CHECK I2C over AUX");
      ASSERT_EQ(dumps.size(), 136u * 3);
      EXPECT_EQ(dumps.substr(128 * 3), c.eepromDump);
    }
    EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string(kStamp) + "Detect Model parameter"), 0);
    EXPECT_EQ(gConfig.GPU_TYPE, 0);
    EXPECT_EQ(gConfig.DEVICE_TYPE, 6);
    EXPECT_EQ(gConfig.RunStatus, 5);
    EXPECT_EQ(gAuxApi.opened, 0);
  }
}

TEST_F(DetectTest, TheProbeBlockIsDumpedOnceFromTheSecondRead) {
  // The first read fails halfway; the dump is the second read's whole block.
  UseMachine("{}");
  ConfigureAndDetect();
  const std::string block = DumpAfter("CHECK I2C over AUX");
  const std::uint64_t first = TransactionAfter("aux.i2c write 0xC4 mot=1 bytes=0500", 1, 32);
  UseMachineFailing("{}", first);
  ConfigureAndDetect();
  const std::vector<std::string> lines = LogLines();
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7), kFlashSearch);
  EXPECT_EQ(DumpAfter("CHECK I2C over AUX"), block);
  // A failed second read ends the trial without a dump.
  const std::uint64_t second = TransactionAfter("aux.i2c write 0xC4 mot=1 bytes=0500", 2, 32);
  UseMachineFailing("{}", second);
  ConfigureAndDetect();
  const std::vector<std::string> failed = LogLines();
  EXPECT_EQ(std::vector<std::string>(failed.begin() + 3, failed.begin() + 6),
            (std::vector<std::string>{"CHECK I2C over AUX", "gpu:2, dp:3", "gpu:2, dp:2"}));
  EXPECT_EQ(LastLine(), "NO GPU AVAILABLE");
}

TEST_F(DetectTest, TheEdpPanelIsFoundWithAnExternalDisplayPortMonitorAttached) {
  UseMachine(R"({"intelGpu": {"displays": [
      {"name": "\\\\.\\Display1", "devices": [{"id": "0x00001001", "type": 2, "status": 0}]},
      {"name": "\\\\.\\Display2", "devices": [{"id": "0x00002001", "type": 3, "status": 0, "panel": false}]}]}})");
  EXPECT_EQ(Run({"-T"}), 4);
  std::vector<std::string> lines = LogLines();
  const std::vector<std::string> start = {
      std::string(kStamp) + "Detect GPU and DP interface", "gpu:1, dp:3", "CHECK I2C over AUX", "gpu:1, dp:2",
      "CHECK I2C over AUX", "<hex 128>", "MEMORY: FLASH"};
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7), start);
  EXPECT_EQ(LastLine(), "recommend based model:KS52310.ini");
  EXPECT_EQ(gConfig.DEVICE_TYPE, 2);
  // The monitor took the DPCD write and refused the probe block; the eDP
  // trial's reads went to the panel's device, not the one cached for DP.
  EXPECT_EQ(TraceOf("cui.SetDataBlock aux device=0x00002001 code=8 count=1 address=0x102 -> 0x00000000 error=0").size(),
            3u);
  EXPECT_EQ(TraceOf("cui.SetDataBlock aux device=0x00002001 code=4 count=2 address=0xC4 -> 0x00000000 error=71")
                .size(),
            2u);
  EXPECT_TRUE(TraceOf("cui.GetDataBlock aux device=0x00002001").empty());
  EXPECT_FALSE(TraceOf("cui.GetDataBlock aux device=0x00001001").empty());
}

TEST_F(DetectTest, TheRunFlowOfEachMode) {
  struct Case {
    std::vector<std::string> arguments;
    const char* machine;
    int status;
    bool detectLog;
    const char* version;  // the document's version; "" for none
  };
  const Case cases[] = {
      {{"-T"}, "{}", 4, true, ""},
      {{"-DM", "-o", "out.xml"}, "{}", 0, false, "0008"},
      {{"-T"}, R"({"intelGpu": null})", 5, true, ""},
      {{"-DM", "-o", "out.xml"}, R"({"intelGpu": null})", 2, false, "empty"},
      // Flow 2 from an EEPROM: the check does not handle it.
      {{"-DM", "-o", "out.xml"}, R"({"panel": {"flash": null, "eeprom": {"signatureAt": [1024]}}})", 3, false, ""},
      // Model 0x2330, flow 10: unknown to the check.
      {{"-DM", "-o", "out.xml"}, R"({"panel": {"flash": {"modelId": "0x2330"}}})", 1, false, ""},
      // Model 0x2320: flow 6 with three-byte read-backs, then the check.
      {{"-DM", "-o", "out.xml"}, R"({"panel": {"flash": {"modelId": "0x2320"}}})", 0, false, "0008"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments) + c.machine);
    UseMachine(c.machine);
    std::remove(Path("out.xml").c_str());
    std::remove(Path("detect_log.txt").c_str());
    EXPECT_EQ(Run(c.arguments), c.status);
    EXPECT_EQ(testsupport::FileExists(Path("detect_log.txt")), c.detectLog);
    const std::string version = c.version;
    EXPECT_EQ(testsupport::FileExists(Path("out.xml")), !version.empty());
    if (version == "0008") {
      EXPECT_NE(Read("out.xml").find("version=\"0008\""), std::string::npos);
    }
    if (c.arguments[0] == "-DM") {
      // Its detection lines for the memo come first; the check's follow.
      ASSERT_GE(Form().memo_Run.size(), 2u);
      EXPECT_EQ(Form().memo_Run[1], kFlashSearch[0]);
    }
  }
  // The 0x2320 check read its result three bytes at a time.
  EXPECT_EQ(TraceOf("aux.i2c write 0xC2 mot=1 bytes=0089").size(), 3u);
  EXPECT_EQ(TraceOf("aux.i2c write 0xC2 mot=1 bytes=008a").size(), 0u);
}

TEST_F(DetectTest, FindsThePanelBehindNvidiaOnEachLinkAndMemory) {
  struct Case {
    const char* name;
    const char* machine;
    std::int32_t link;
    const char* lastLine;
    int checkStatus;  // of a "-DM" run
  };
  const Case cases[] = {
      {"eDP, flash", R"({"nvidiaGpu": {"gpus": [{"displays": [{"id": "0x1001", "connector": 71}]}]}})", 2,
       "recommend based model:KS52310.ini", 0},
      {"DP, flash, an eDP display without the panel",
       R"({"nvidiaGpu": {"gpus": [{"displays": [{"id": "0x1001", "connector": 71, "panel": false},
                                               {"id": "0x1002", "connector": 70}]}]}})",
       3, "recommend based model:KS52310.ini", 0},
      {"eDP, EEPROM 400",
       R"({"nvidiaGpu": {"gpus": [{"displays": [{"id": "0x1001", "connector": 71}]}]},
           "panel": {"flash": null, "eeprom": {"signatureAt": ["0x0400"]}}})",
       2, "recommend based model:KS52400.ini", 3},
      {"eDP, EEPROM 040",
       R"({"nvidiaGpu": {"gpus": [{"displays": [{"id": "0x1001", "connector": 71}]}]},
           "panel": {"flash": null, "eeprom": {"signatureAt": ["0x0500"]}}})",
       2, "recommend based model:KS52410.ini", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string machine = std::string(R"({"intelGpu": null, )") + (c.machine + 1);
    UseMachine(machine);
    EXPECT_EQ(Run({"-T"}), 4);
    EXPECT_EQ(LastLine(), c.lastLine);
    EXPECT_EQ(gConfig.GPU_TYPE, 2);
    EXPECT_EQ(gConfig.DEVICE_TYPE, c.link);
    const std::vector<std::string> lines = LogLines();
    const std::vector<std::string> trials = {"gpu:1, dp:3", "gpu:1, dp:2", "gpu:2, dp:3"};
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 4), trials);
    EXPECT_EQ(gAuxApi.opened, 0);
    UseMachine(machine);
    EXPECT_EQ(Run({"-DM", "-o", "out.xml"}), c.checkStatus);
  }
}

// An AMD laptop: one active adapter with an HDMI monitor as its first
// display and the panel on eDP as its second.
constexpr char kAmdLaptop[] = R"({"intelGpu": null, "amdGpu": {"adapters": [{"displays": [
    {"connector": 10, "flags": "0x03"}, {"connector": 16, "flags": "0x03", "panel": true}]}]}})";

std::string AmdMachine(const std::string& panel) {
  auto machine = nlohmann::ordered_json::parse(kAmdLaptop);
  machine["panel"] = nlohmann::ordered_json::parse(panel);
  return machine.dump();
}

TEST_F(DetectTest, FindsThePanelBehindAmdOnEachMemory) {
  struct Case {
    const char* panel;
    const char* lastLine;
    int checkStatus;  // of a "-DM" run
  };
  const Case cases[] = {
      {"{}", "recommend based model:KS52310.ini", 0},
      {R"({"flash": null, "eeprom": {"signatureAt": ["0x0400"]}})", "recommend based model:KS52400.ini", 3},
      {R"({"flash": null, "eeprom": {"signatureAt": ["0x0500"]}})", "recommend based model:KS52410.ini", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.panel);
    UseMachine(AmdMachine(c.panel));
    EXPECT_EQ(Run({"-T"}), 4);
    EXPECT_EQ(LastLine(), c.lastLine);
    EXPECT_EQ(gConfig.GPU_TYPE, 3);
    EXPECT_EQ(gConfig.DEVICE_TYPE, 2);
    const std::vector<std::string> lines = LogLines();
    // Every trial before AMD on eDP: the AMD DisplayPort trial opens the
    // library and finds no DisplayPort display for its DPCD write.
    const std::vector<std::string> trials = {"gpu:1, dp:3", "gpu:1, dp:2", "gpu:2, dp:3",
                                             "gpu:2, dp:2", "gpu:3, dp:3", "gpu:3, dp:2"};
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 7), trials);
    EXPECT_EQ(lines[7], "CHECK I2C over AUX");
    EXPECT_EQ(gAuxApi.opened, 0);
    UseMachine(AmdMachine(c.panel));
    EXPECT_EQ(Run({"-DM", "-o", "out.xml"}), c.checkStatus);
  }
}

TEST_F(DetectTest, OnAmdALinkWithoutItsDisplayKeepsTheDisplaySelectedBefore) {
  // The panel is the adapter's first display, selected when the library is
  // bound; the DisplayPort trial selects nothing else and reaches it.
  auto machine = nlohmann::ordered_json::parse(AmdMachine("{}"));
  auto& displays = machine["amdGpu"]["adapters"][0]["displays"];
  std::swap(displays[0], displays[1]);
  UseMachine(machine.dump());
  EXPECT_EQ(Run({"-T"}), 4);
  const std::vector<std::string> lines = LogLines();
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 5, lines.begin() + 7),
            (std::vector<std::string>{"gpu:3, dp:3", "CHECK I2C over AUX"}));
  EXPECT_EQ(LastLine(), "recommend based model:KS52310.ini");
  EXPECT_EQ(gConfig.GPU_TYPE, 3);
  EXPECT_EQ(gConfig.DEVICE_TYPE, 3);
}

TEST_F(DetectTest, TheLastResultOfTheAmdEdpTrialDecidesWhatNothingFoundMeans) {
  const std::string unsigned_ = AmdMachine(R"({"flash": null, "eeprom": {}})");
  const std::vector<std::string> flowTail = {"EEPROM:unknown", std::string(kStamp) + "Detect Model parameter",
                                             "NO TCON FLOW AVAILABLE"};
  const std::vector<std::string> gpuTail = {"EEPROM:unknown", "NO GPU AVAILABLE"};
  UseMachine(unsigned_);
  Configure();
  gConfig.GPU_TYPE = 0;
  gConfig.DEVICE_TYPE = 6;
  Detect();
  // The EEPROM answers, without a signature: GPU and link of the last trial stay.
  std::vector<std::string> lines = LogLines();
  EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()), flowTail);
  EXPECT_EQ(gConfig.GPU_TYPE, 3);
  EXPECT_EQ(gConfig.DEVICE_TYPE, 2);
  EXPECT_EQ(gConfig.RunStatus, 5);
  const std::uint64_t firstEeprom = TransactionAfter("aux.i2c write 0xC8", 1, 0);
  const std::uint64_t secondEeprom = TransactionAfter("aux.i2c write 0xCA", 1, 0);
  ASSERT_GT(secondEeprom, firstEeprom);
  ASSERT_GT(firstEeprom, 0u);
  // Only the second EEPROM read sets the last result.
  struct Case {
    std::uint64_t failing;
    std::vector<std::string> tail;
    std::int32_t gpu, link;
  };
  const Case cases[] = {{firstEeprom, flowTail, 3, 2}, {secondEeprom, gpuTail, 0, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failing);
    auto machine = nlohmann::ordered_json::parse(unsigned_);
    machine["panel"]["auxFaults"] = nlohmann::ordered_json::array({{{"at", c.failing}, {"reply", "nack"}}});
    UseMachine(machine.dump());
    Configure();
    gConfig.GPU_TYPE = 0;
    gConfig.DEVICE_TYPE = 6;
    Detect();
    lines = LogLines();
    EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<std::ptrdiff_t>(c.tail.size()), lines.end()),
              c.tail);
    EXPECT_EQ(gConfig.GPU_TYPE, c.gpu);
    EXPECT_EQ(gConfig.DEVICE_TYPE, c.link);
    EXPECT_EQ(gConfig.RunStatus, 5);
    EXPECT_EQ(gAuxApi.opened, 0);
  }
}

TEST(TconModelsTest, VersionRecordsAndProbeBlocks) {
  std::uint8_t buffer[256] = {};
  const std::uint8_t record[10] = {0x55, 0xAA, 0x66, 0x99, 'V', 'E', 'R', 'S', 0x23, 0x10};
  EXPECT_EQ(tconprobe::FindVersionRecord(buffer, sizeof buffer), -1);
  std::copy(record, record + 10, buffer + 246);
  EXPECT_EQ(tconprobe::FindVersionRecord(buffer, sizeof buffer), 246);
  EXPECT_EQ(tconprobe::FindVersionRecord(buffer, 255), -1);  // the id's low byte is cut off
  EXPECT_EQ(tconprobe::FindVersionRecord(buffer, 9), -1);
  EXPECT_EQ(tconprobe::FindVersionRecord(buffer, 0), -1);
  std::copy(record, record + 8, buffer + 3);
  EXPECT_EQ(tconprobe::FindVersionRecord(buffer, sizeof buffer), 3);
  EXPECT_EQ(tconprobe::FindFlashModel(0x2310)->initFlow, 5u);
  EXPECT_EQ(tconprobe::FindFlashModel(0x2312), nullptr);
  std::uint8_t block[128] = {};
  block[0] = 1;
  block[127] = 0xFF;
  EXPECT_TRUE(tconprobe::IsFlashProbeBlock(block));
  block[127] = 0xFE;
  EXPECT_FALSE(tconprobe::IsFlashProbeBlock(block));
}

}  // namespace
}  // namespace tconprobe_test
