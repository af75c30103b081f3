// tconprobe's configuration: the INI integer rules, LoadConfig's keys and
// dependent rules, and the built-in profile over them.
#include <string>

#include "tconprobe/app/config.h"
#include "tconprobe/app/debug_log.h"
#include "tconprobe/app/ini_integer.h"
#include "tests/native/sim_test.h"

namespace {

using tconprobe::gConfig;

TEST(IniInteger, TakesOnlyOneWholeIntegerThatFits) {
  struct Case {
    const char* text;
    bool valid;
    std::int32_t value;
  };
  const Case cases[] = {
      {"194", true, 194},          {"0xC2", true, 0xC2},       {"0XC2", true, 0xC2},
      {"$C2", true, 0xC2},         {"$c2", true, 0xC2},        {"  -5", true, -5},
      {"+7", true, 7},             {"-0x10", true, -16},       {"2147483647", true, 2147483647},
      {"-2147483648", true, INT32_MIN},                        {"0xFFFFFFFF", true, -1},
      {"$80000000", true, INT32_MIN},                          {"2147483648", false, 0},
      {"0x100000000", false, 0},   {"C2", false, 0},           {"", false, 0},
      {"0x", false, 0},            {"$", false, 0},            {"-", false, 0},
      {"12 ", false, 0},           {"12abc", false, 0},        {"1.5", false, 0},
      {"- 5", false, 0},           {"0x-5", false, 0},         {"99999999999999999999", false, 0},
  };
  for (const Case& c : cases) {
    std::int32_t value = 12345;
    EXPECT_EQ(tconprobe::ParseIniInteger(c.text, &value), c.valid) << '"' << c.text << '"';
    if (c.valid) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

class ConfigTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    LoadMachine("{}");
    gConfig = tconprobe::TConfig{};
  }
  void TearDown() override {
    tconprobe::CloseDebugLog();
    SimTest::TearDown();
  }
  void Load(const std::string& body, const char* name = "model.ini") {
    testsupport::WriteFile(Path(name), "[GENERAL]\r\n" + body);
    tconprobe::LoadConfig(name);
  }
};

TEST_F(ConfigTest, AMissingFileGivesEveryDefault) {
  tconprobe::LoadConfig("KS52310_flash.ini");
  EXPECT_EQ(gConfig.TCON_ADDR, 0xC0);
  EXPECT_EQ(gConfig.EEPROM_ADDR, 0xC0);
  EXPECT_EQ(gConfig.EEPROM_WR_BUF_SIZE, 256u);
  EXPECT_EQ(gConfig.EEPROM_RD_BUF_SIZE, 256u);
  EXPECT_EQ(gConfig.DEVICE_TYPE, 2);
  EXPECT_EQ(gConfig.GPU_TYPE, 0);
  EXPECT_EQ(gConfig.AUX_REQUEST_BYTE, 2u);
  EXPECT_EQ(gConfig.READ_RETRY_CNT, 1u);
  EXPECT_EQ(gConfig.REG_ONE_BYTE_READ, 1);
  EXPECT_EQ(gConfig.ROM_CKS_COUNT, 0u);
  for (int i = 0; i < tconprobe::kRomRegions; ++i) {
    EXPECT_EQ(gConfig.ROM_CKS_ADDR[i], 0u);
    EXPECT_EQ(gConfig.ROM_CKS_SIZE[i], 0u);
    EXPECT_EQ(gConfig.ROM_CKS_SIGNATURE[i], 0x9487u);
  }
  EXPECT_EQ(gConfig.ROM_VER_SIGNATUREH, 0x99u);
  EXPECT_EQ(gConfig.ROM_VER_SIGNATUREM, 0x88u);
  EXPECT_EQ(gConfig.ROM_VER_SIGNATUREL, 0x77u);
  EXPECT_EQ(gConfig.AUTO_CHECK_TCON_ADDR, 1u);
  EXPECT_EQ(gConfig.MCU_RWK_STATUS_REG_ADDR, 5u);
  EXPECT_EQ(gConfig.MCU_RWK_CKS_REG_ADDR, 6u);
  EXPECT_EQ(gConfig.FLASH_PROG_ADDR, 0x5000);
  EXPECT_EQ(gConfig.DEBUG_LOG, 0u);
  EXPECT_EQ(gConfig.CHK_LOG, 0u);
  EXPECT_FALSE(testsupport::FileExists(Path("tool_debug.txt")));
}

TEST_F(ConfigTest, AddressesKeepTheirLowByte) {
  const std::pair<const char*, int> cases[] = {{"0xC2", 0xC2}, {"$C2", 0xC2}, {"194", 0xC2},
                                               {"C2", 0xC0},   {"0x1C2", 0xC2}, {"0xC2 trailing", 0xC0}};
  for (const auto& [text, expected] : cases) {
    Load(std::string("tcon_addr = ") + text + "\r\nEEPROM_ADDR=" + text + "\r\n");
    EXPECT_EQ(gConfig.TCON_ADDR, expected) << text;
    EXPECT_EQ(gConfig.EEPROM_ADDR, expected) << text;
  }
}

TEST_F(ConfigTest, KeysStoredWithATrailingBlankAreFoundWithoutIt) {
  Load("EEPROM_WR_BUF_SIZE=64\r\nEEP_DATA_ADDR_FMT=3\r\n");
  EXPECT_EQ(gConfig.EEPROM_WR_BUF_SIZE, 64u);
  EXPECT_EQ(gConfig.EEPROM_RD_BUF_SIZE, 64u);  // its default is the write size just read
  EXPECT_EQ(gConfig.EEP_DATA_ADDR_FMT, 3u);
  Load("EEPROM_WR_BUF_SIZE=64\r\nEEPROM_RD_BUF_SIZE=32\r\n");
  EXPECT_EQ(gConfig.EEPROM_RD_BUF_SIZE, 32u);
}

TEST_F(ConfigTest, TheAmdBackEndLimitsBothBufferSizes) {
  Load("GPU_TYPE=3\r\nEEPROM_WR_BUF_SIZE=256\r\n");
  EXPECT_EQ(gConfig.EEPROM_WR_BUF_SIZE, 128u);
  EXPECT_EQ(gConfig.EEPROM_RD_BUF_SIZE, 128u);
  Load("GPU_TYPE=3\r\nEEPROM_WR_BUF_SIZE=-1\r\nEEPROM_RD_BUF_SIZE=100\r\n");  // an unsigned comparison
  EXPECT_EQ(gConfig.EEPROM_WR_BUF_SIZE, 128u);
  EXPECT_EQ(gConfig.EEPROM_RD_BUF_SIZE, 100u);
  Load("GPU_TYPE=2\r\nEEPROM_WR_BUF_SIZE=256\r\n");
  EXPECT_EQ(gConfig.EEPROM_WR_BUF_SIZE, 256u);
  EXPECT_EQ(gConfig.EEPROM_RD_BUF_SIZE, 256u);
}

TEST_F(ConfigTest, RegionsComeFromNumberedKeysAndTheCountIsCapped) {
  Load("ROM_CKS_COUNT=25\r\nROM_CKS_ADDR=0x100\r\nROM_CKS_SIZE=16\r\nROM_CKS_SIGNATURE=7\r\n"
       "ROM_CKS_ADDR_1=0x200\r\nROM_CKS_SIZE_19=9\r\nROM_CKS_SIGNATURE_6=1\r\nROM_CKS_ADDR_20=5\r\n");
  EXPECT_EQ(gConfig.ROM_CKS_COUNT, 20u);
  EXPECT_EQ(gConfig.ROM_CKS_ADDR[0], 0x100u);
  EXPECT_EQ(gConfig.ROM_CKS_SIZE[0], 16u);
  EXPECT_EQ(gConfig.ROM_CKS_SIGNATURE[0], 7u);
  EXPECT_EQ(gConfig.ROM_CKS_ADDR[1], 0x200u);
  EXPECT_EQ(gConfig.ROM_CKS_SIZE[19], 9u);
  EXPECT_EQ(gConfig.ROM_CKS_SIGNATURE[6], 1u);
  EXPECT_EQ(gConfig.ROM_CKS_SIGNATURE[7], 0x9487u);
  Load("ROM_CKS_COUNT=-1\r\n");
  EXPECT_EQ(gConfig.ROM_CKS_COUNT, 20u);
}

TEST_F(ConfigTest, ValuesThatAreNotOneIntegerGiveTheDefault) {
  Load("READ_RETRY_CNT=3 4\r\nAUX_REQUEST_BYTE=" + std::string(300, '1') + "\r\nDEVICE_TYPE=\r\n" +
       "FLASH_PROG_ADDR=" + std::string(61, ' ') + "0x6000" + "\r\nMCU_RWK_STATUS_REG_ADDR=\"0x88\"\r\n");
  EXPECT_EQ(gConfig.READ_RETRY_CNT, 1u);
  EXPECT_EQ(gConfig.AUX_REQUEST_BYTE, 2u);
  EXPECT_EQ(gConfig.DEVICE_TYPE, 2);
  EXPECT_EQ(gConfig.FLASH_PROG_ADDR, 0x6000);  // blanks around a value are not part of it
  EXPECT_EQ(gConfig.MCU_RWK_STATUS_REG_ADDR, 0x88u);  // quotes are the file's, not the value's
}

TEST_F(ConfigTest, TheNameIsTakenFromTheCurrentDirectoryAndAnOverLongPathIsAMissingFile) {
  testsupport::WriteFile(Path("a.ini"), "[GENERAL]\r\nGPU_TYPE=2\r\n");
  tconprobe::LoadConfig("a.ini");
  EXPECT_EQ(gConfig.GPU_TYPE, 2);
  const std::string longName = std::string(300, 'n') + ".ini";
  tconprobe::LoadConfig(longName.c_str());
  EXPECT_EQ(gConfig.GPU_TYPE, 0);
  tconprobe::LoadConfig(Path("a.ini").c_str());  // an absolute name still gets the directory in front
  EXPECT_EQ(gConfig.GPU_TYPE, 0);
}

TEST_F(ConfigTest, ACurrentDirectoryOnTheCDriveIsNamedThere) {
  sim::CurrentMachine().driveC = Path("");
  testsupport::WriteFile(Path("a.ini"), "[GENERAL]\r\nGPU_TYPE=3\r\n");
  tconprobe::LoadConfig("a.ini");
  EXPECT_EQ(gConfig.GPU_TYPE, 3);
  EXPECT_EQ(TraceOf("ini.read C:\\\\a.ini [GENERAL] \"GPU_TYPE\"").size(), 1u) << Read("trace.txt");
}

TEST_F(ConfigTest, TheProfileOverridesWhatTheFileSaid) {
  Load("TCON_ADDR=0x10\r\nTCON_INIT_FLOW=2\r\nROM_CKS_COUNT=9\r\nCHK_LOG=1\r\nDEBUG_LOG=1\r\n"
       "ROM_CKS_ADDR_3=0x33\r\nROM_VER_ADDRH=4\r\nFLASH_PROG_ADDR=0xD000\r\n");
  tconprobe::ApplyBuiltInProfile(false, "");
  EXPECT_EQ(gConfig.TCON_ADDR, 0xC2);
  EXPECT_EQ(gConfig.EEPROM_ADDR, 0xC4);
  EXPECT_EQ(gConfig.GPU_TYPE, 1);
  EXPECT_EQ(gConfig.DEVICE_TYPE, 2);
  EXPECT_EQ(gConfig.TCON_INIT_FLOW, 5u);
  EXPECT_EQ(gConfig.WRITE_MOT_ENABLED, 1u);
  EXPECT_EQ(gConfig.ROM_CKS_COUNT, 1u);
  EXPECT_EQ(gConfig.ROM_CKS_ADDR[0], 0x8287u);
  EXPECT_EQ(gConfig.ROM_CKS_SIZE[0], 1u);
  EXPECT_EQ(gConfig.ROM_CKS_SIGNATURE[0], 8u);
  EXPECT_EQ(gConfig.MCU_RWK_STATUS_REG_ADDR, 0x88u);
  EXPECT_EQ(gConfig.MCU_RWK_CKS_REG_ADDR, 0x89u);
  EXPECT_EQ(gConfig.CHK_LOG, 0u);
  EXPECT_EQ(gConfig.DEBUG_LOG, 0u);
  // What the file still decides.
  EXPECT_EQ(gConfig.ROM_CKS_ADDR[3], 0x33u);
  EXPECT_EQ(gConfig.ROM_VER_ADDRH, 4u);
  EXPECT_EQ(gConfig.FLASH_PROG_ADDR, 0xD000);
  // DEBUG_LOG in the file created tool_debug.txt, which gets no line.
  tconprobe::DebugLine("nothing");
  EXPECT_TRUE(testsupport::FileExists(Path("tool_debug.txt")));
  EXPECT_EQ(Read("tool_debug.txt"), "");
}

TEST_F(ConfigTest, ARequestedLogReplacesTheFilesDebugLog) {
  Load("DEBUG_LOG=1\r\n");
  tconprobe::ApplyBuiltInProfile(true, "mine.txt");
  EXPECT_EQ(gConfig.DEBUG_LOG, 1u);
  tconprobe::DebugLine("hello");
  EXPECT_EQ(Read("tool_debug.txt"), "");
  const std::string line = Read("mine.txt");
  ASSERT_GE(line.size(), 4u);
  EXPECT_EQ(line.front(), '[');
  EXPECT_EQ(line.substr(line.find(']')), "] hello\r\r\n");
}

TEST_F(ConfigTest, ALogThatCannotBeOpenedTakesNothing) {
  tconprobe::LoadConfig("none.ini");
  tconprobe::ApplyBuiltInProfile(true, "no-such-folder/log.txt");
  EXPECT_EQ(gConfig.DEBUG_LOG, 1u);
  tconprobe::DebugLine("lost");  // no stream: nothing written, nothing crashes
  EXPECT_FALSE(testsupport::FileExists(Path("no-such-folder/log.txt")));
}

}  // namespace
