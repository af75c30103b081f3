// What tconprobe reports: the status bar and edits, the memo, the debug,
// detect and check logs byte for byte, and the document's own text.
#include "tests/native/tconprobe_fixture.h"
#include "tconprobe/app/xml_document.h"

namespace tconprobe_test {
namespace {

using tconprobe::gConfig;

class ReportTest : public TconprobeTest {
 protected:
  tconprobe::TMainForm form;
};

TEST_F(ReportTest, TheDebugLogOfADefaultRunByteForByte) {
  // Ticks start at 5000 and each AUX transaction or pause costs 1 ms.
  const std::string log =
      "[5000] RUN ROM Check\r\r\n"
      "[5025] CHECKSUM MODE\r\r\n"
      "[5044] partial checksum of 000000 is 000008\r\r\n"
      "[5044] Whole checksum is 000008\r\r\n"
      "[5044] Read checksum:000008\r\r\n";
  EXPECT_EQ(Run({"-o", "out.xml", "-p", "debug.txt"}), 0);
  EXPECT_EQ(Read("debug.txt"), log);
  // The next run appends to it.
  UseMachine("{}");
  EXPECT_EQ(Run({"-o", "out.xml", "-l", "debug.txt"}), 0);
  EXPECT_EQ(Read("debug.txt"), log + log);
}

TEST_F(ReportTest, FailureLinesReachTheMemoAndTheDebugLog) {
  UseMachine(R"({"intelGpu": null})");
  EXPECT_EQ(Run({"-o", "out.xml", "-p", "debug.txt"}), 2);
  EXPECT_EQ(Read("debug.txt"), "[5000] RUN ROM Check\r\r\n[5000] Open DP Fail\r\r\n");
  EXPECT_EQ(Form().memo_Run, (std::vector<std::string>{"LOG MESSAGE:", "Open DP Fail"}));
}

TEST_F(ReportTest, TheStatusBarNamesGpuLinkAndModel) {
  struct Case {
    std::int32_t gpu, link;
    std::uint32_t flow;
    const char* panels[3];
  };
  const Case cases[] = {
      {1, 2, 0, {"INTEL", "eDP", "KS52040"}},        {2, 3, 1, {"nVidia", "DP", "KS52110"}},
      {3, 1, 2, {"AMD", "unknown interface", "KS52040"}}, {0, 6, 3, {"unknown GPU", "unknown interface", "KS52120"}},
      {4, 2, 4, {"unknown GPU", "eDP", "KS52230"}},  {1, 2, 5, {"INTEL", "eDP", "KS52310"}},
      {1, 2, 6, {"INTEL", "eDP", "KS52320"}},        {1, 2, 7, {"INTEL", "eDP", "KS52310B"}},
      {1, 2, 8, {"INTEL", "eDP", "KS52400"}},        {1, 2, 9, {"INTEL", "eDP", "unknown TCON"}},
  };
  for (const Case& c : cases) {
    gConfig.GPU_TYPE = c.gpu;
    gConfig.DEVICE_TYPE = c.link;
    gConfig.TCON_INIT_FLOW = c.flow;
    form.ShowConfiguration();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(form.statBar[i], c.panels[i]) << c.flow;
  }
}

TEST_F(ReportTest, TheEditsWidenWhenARegionReachesPast64KiB) {
  struct Case {
    std::uint32_t addr, size, signature;
    const char *addrText, *sizeText, *signatureText;
  };
  const Case cases[] = {{0x8287, 1, 8, "8287", "0001", "0008"},
                        {0xFFFF, 0xFFFF, 0x9487, "FFFF", "FFFF", "9487"},
                        {0x10000, 1, 0x12345, "010000", "000001", "12345"},
                        {5, 0x30000, 0, "000005", "030000", "0000"}};
  for (const Case& c : cases) {
    gConfig.ROM_CKS_ADDR[0] = c.addr;
    gConfig.ROM_CKS_SIZE[0] = c.size;
    gConfig.ROM_CKS_SIGNATURE[0] = c.signature;
    form.le_RomCksReadValue.fontColour = tconprobe::FontColour::Yellow;
    form.ShowConfiguration();
    EXPECT_EQ(form.le_RomCksAddr.text, c.addrText);
    EXPECT_EQ(form.le_RomCksSize.text, c.sizeText);
    EXPECT_EQ(form.le_RomCksSignature.text, c.signatureText);
    EXPECT_EQ(form.le_RomCksReadValue.fontColour, tconprobe::FontColour::Black);
  }
}

TEST_F(ReportTest, DetectLinesGoToTheDetectLogOnlyInADetectionOnlyRun) {
  UseMachine(R"({"localTime": "2020-10-30T09:05:07"})");
  form.runMode = 1;
  form.detectLog = platform::OpenTextFile("detect_log.txt", "a");
  form.DetectLog("Detect GPU and DP interface", true, true);
  form.DetectLog("gpu:1, dp:3", false, true);
  const std::uint8_t bytes[16] = {0, 1, 2, 3, 4, 5, 6, 7, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
  form.DetectLogHexDump(bytes, 16);
  platform::CloseTextFile(form.detectLog);
  form.detectLog = nullptr;
  EXPECT_EQ(Read("detect_log.txt"),
            "[2020-10-30 9:5:7] Detect GPU and DP interface\r\n"
            "gpu:1, dp:3\r\n"
            "00 01 02 03 04 05 06 07 \r\n"
            "88 99 AA BB CC DD EE FF \r\n");
  EXPECT_EQ(form.memo_Run, (std::vector<std::string>{"LOG MESSAGE:", "[2020-10-30 9:5:7] Detect GPU and DP interface",
                                                     "gpu:1, dp:3"}));
  // Detection before the check: memo lines only, no file.
  tconprobe::TMainForm second;
  second.runMode = 2;
  second.DetectLog("CHECK I2C over AUX", false, true);
  second.DetectLog("not shown", false, false);
  EXPECT_EQ(second.memo_Run, (std::vector<std::string>{"LOG MESSAGE:", "CHECK I2C over AUX"}));
}

TEST_F(ReportTest, TheCheckLogKeepsTheLastRegionWithTheRunStatus) {
  testsupport::WriteFile(Path("chk_log.ini"), "[OTHER]\r\nKEEP=1\r\n[RESULT]\r\nOLD=1\r\n");
  struct Case {
    std::int32_t status;
    const char* action;
    const char* check;
  };
  const Case cases[] = {{0, "READ SUCCESS", "PASS"}, {1, "READ SUCCESS", "FAIL"}, {2, "READ FAIL", "FAIL"},
                        {3, "READ FAIL", "FAIL"}};
  for (const Case& c : cases) {
    gConfig.RunStatus = c.status;
    form.WriteCheckLog(8, 0x12345);
    EXPECT_EQ(Read("chk_log.ini"), std::string("[OTHER]\r\nKEEP=1\r\n[RESULT]\r\nACTION=") + c.action +
                                       "\r\nCHECK=" + c.check + "\r\nSIGNATURE=000008\r\nCHECKSUM=012345\r\n");
  }
  gConfig.RunStatus = 2;
  form.WriteCheckLog(0x9487, -1);
  EXPECT_EQ(Read("chk_log.ini"),
            "[OTHER]\r\nKEEP=1\r\n[RESULT]\r\nACTION=READ FAIL\r\nCHECK=FAIL\r\nSIGNATURE=009487\r\nCHECKSUM=FFFFFFFF\r\n");
}

TEST_F(ReportTest, TheRunWritesTheCheckLogForEachRegion) {
  tconprobe::LoadConfig("none.ini");
  tconprobe::ApplyBuiltInProfile(false, "");
  gConfig.CHK_LOG = 1;
  gConfig.ROM_CKS_COUNT = 2;
  gConfig.ROM_CKS_ADDR[1] = 0x8287;
  gConfig.ROM_CKS_SIZE[1] = 1;
  gConfig.ROM_CKS_SIGNATURE[1] = 7;
  form.outputFileName = "out.xml";
  form.btnRunClick();
  EXPECT_EQ(TraceOf("ini.write .\\chk_log.ini [RESULT] null").size(), 2u);
  EXPECT_EQ(Read("chk_log.ini"),
            "[RESULT]\r\nACTION=READ SUCCESS\r\nCHECK=FAIL\r\nSIGNATURE=000007\r\nCHECKSUM=000008\r\n");
  EXPECT_EQ(gConfig.RunStatus, 0);  // the document turns the mismatch into a report
}

TEST_F(ReportTest, TheDocumentIsSavedWithADeclarationAndTheTemplatesOrder) {
  EXPECT_EQ(Run({"-o", "out.xml"}), 0);
  EXPECT_EQ(Read("out.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<SVMInventory lang=\"en\" timeStamp=\"2021-11-28T16:26:58\" schemaVersion=\"1.0\">\r\n"
            "   <Device display=\"TouchScreen\" componentID=\"109291\">\r\n"
            "      <Application display=\"TouchScreen Firmware\" packageVersion=\"1.0.0.0\" version=\"0008\" "
            "componentType=\"FRMW\"/>\r\n"
            "   </Device>\r\n"
            "</SVMInventory>\r\n");
  UseMachine(R"({"intelGpu": null})");
  EXPECT_EQ(Run({"-o", "out.xml"}), 2);
  EXPECT_EQ(Read("out.xml"), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<SVMInventory lang=\"en\"/>\r\n");
}

TEST_F(ReportTest, AttributeValuesAreEscapedSoAParserReadsThemBack) {
  const std::string value = "a&b<c>d\"e'f\tg\nh\ri";
  tconprobe::XmlElement root{"SVMInventory", {{"lang", "en"}, {"odd", value}}, {}};
  XmlNode node;
  std::string encoding;
  ASSERT_TRUE(ParseXml(tconprobe::SerializeXml(root), &node, &encoding));
  EXPECT_EQ(node.attributes, (Attributes{{"lang", "en"}, {"odd", value}}));
}

}  // namespace
}  // namespace tconprobe_test
