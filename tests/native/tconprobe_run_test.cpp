// tconprobe's run flow end to end on the simulated panel: the outcomes of a
// run with the document each writes, and what the form shows.
#include "tests/native/tconprobe_fixture.h"

#include <filesystem>

namespace tconprobe_test {
namespace {

using tconprobe::FontColour;

class RunTest : public TconprobeTest {
 protected:
  // The document at the "-o" path, checked to be the full form.
  void ExpectFullDocument(const std::string& name, const std::string& version) {
    const std::string bytes = Read(name);
    ASSERT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u) << bytes;
    XmlNode root;
    std::string encoding;
    ASSERT_TRUE(ParseXml(bytes, &root, &encoding)) << bytes;
    EXPECT_EQ(encoding, "UTF-8");
    EXPECT_EQ(root.name, "SVMInventory");
    EXPECT_EQ(root.attributes, FullRoot("2021-11-28T16:26:58"));
    ASSERT_EQ(root.children.size(), 1u);
    EXPECT_EQ(root.children[0].name, "Device");
    EXPECT_EQ(root.children[0].attributes, kDevice);
    ASSERT_EQ(root.children[0].children.size(), 1u);
    EXPECT_EQ(root.children[0].children[0].name, "Application");
    EXPECT_EQ(root.children[0].children[0].attributes, Application("1.0.0.0", version));
    EXPECT_TRUE(root.children[0].children[0].children.empty());
  }

  void ExpectEmptyDocument(const std::string& name) {
    XmlNode root;
    std::string encoding;
    ASSERT_TRUE(ParseXml(Read(name), &root, &encoding)) << Read(name);
    EXPECT_EQ(root.name, "SVMInventory");
    EXPECT_EQ(root.attributes, (Attributes{{"lang", "en"}}));
    EXPECT_TRUE(root.children.empty());
  }
};

TEST_F(RunTest, AMatchingValueIsReportedWithExitCode0) {
  EXPECT_EQ(Run({"-o", "out.xml"}), 0);
  ExpectFullDocument("out.xml", "0008");
  EXPECT_FALSE(testsupport::FileExists(Path("QIV.xml")));
  EXPECT_EQ(Form().caption, "TconProbe V1.0.0.0");
  EXPECT_EQ(Form().statBar[0], "INTEL");
  EXPECT_EQ(Form().statBar[1], "eDP");
  EXPECT_EQ(Form().statBar[2], "KS52310");
  EXPECT_EQ(Form().le_RomCksAddr.text, "8287");
  EXPECT_EQ(Form().le_RomCksSize.text, "0001");
  EXPECT_EQ(Form().le_RomCksSignature.text, "0008");
  EXPECT_EQ(Form().le_RomCksReadValue.text, "0008");
  EXPECT_EQ(Form().le_RomCksReadValue.fontColour, FontColour::Blue);
  EXPECT_TRUE(Form().btn_Run_enabled);
  EXPECT_TRUE(Form().terminateRequested);
  EXPECT_EQ(Form().memo_Run, (std::vector<std::string>{"LOG MESSAGE:", "CHECKSUM MODE", "Read checksum:000008"}));
  EXPECT_EQ(Form().readValues[0], 8);
  // No log was asked for: none is written, and nothing reaches the console.
  EXPECT_FALSE(testsupport::FileExists(Path("tool_debug.txt")));
  EXPECT_EQ(Stdout(), "");
}

TEST_F(RunTest, AnotherValueIsReportedTooAndTheRunStillEndsWith0) {
  UseMachine(R"({"panel": {"rom": {"bytes": {"0x8287": "09"}}}})");
  EXPECT_EQ(Run({"-o", "out.xml"}), 0);
  ExpectFullDocument("out.xml", "0009");
  EXPECT_EQ(Form().le_RomCksReadValue.text, "0009");
  EXPECT_EQ(Form().le_RomCksReadValue.fontColour, FontColour::Yellow);
  EXPECT_EQ(Form().memo_Run.back(), "Read checksum:000009");
}

TEST_F(RunTest, FailuresWriteTheEmptyDocumentAndEndWith2) {
  struct Case {
    const char* name;
    const char* machine;
    const char* memoLine;
  };
  const Case cases[] = {
      {"no Intel object", R"({"intelGpu": null})", "Open DP Fail"},
      {"MCU silent", R"({"panel": {"mcu": {"silent": true}}})", "MCU CONNECT INIT FAIL 0x8F"},
      {"wrong echo", R"({"panel": {"mcu": {"wrongEcho": true}}})", "MCU CONNECT INIT FAIL 0x8F"},
      {"status after set-up", R"({"panel": {"mcu": {"setUpStatus": "0x08"}}})", "MCU CONNECT INIT FAIL 0x8F"},
      {"never done", R"({"panel": {"mcu": {"neverDone": true}}})", "Read Checksum Fail"},
      {"another action", R"({"panel": {"mcu": {"actionStatus": "0x85"}}})", "Read Checksum Fail"},
      {"driver error", R"({"intelGpu": {"faults": [{"at": 1, "times": 0, "error": 71}]}})",
       "MCU CONNECT INIT FAIL 0x8F"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseMachine(c.machine);
    EXPECT_EQ(Run({"-o", "out.xml"}), 2);
    ExpectEmptyDocument("out.xml");
    EXPECT_EQ(Form().memo_Run.back(), c.memoLine);
    EXPECT_FALSE(testsupport::FileExists(Path("QIV.xml")));
    // The channel is closed on every path that opened it.
    EXPECT_EQ(tconprobe::gAuxApi.opened, 0);
  }
}

TEST_F(RunTest, OnlyTheCheckableModelsAreChecked) {
  struct Case {
    std::uint32_t flow;
    int status;
    bool checked;
  };
  const Case cases[] = {{0, 3, false}, {4, 3, false}, {5, 0, true},  {6, 0, true},
                        {7, 0, true},  {8, 3, false}, {9, 1, false}, {0xFFFFFFFF, 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flow);
    UseMachine("{}");
    std::remove(Path("trace.txt").c_str());
    tconprobe::LoadConfig("none.ini");
    tconprobe::ApplyBuiltInProfile(false, "");
    tconprobe::gConfig.TCON_INIT_FLOW = c.flow;
    tconprobe::TMainForm form;
    form.outputFileName = "out.xml";
    form.btnRunClick();
    EXPECT_EQ(tconprobe::gConfig.RunStatus, c.status);
    EXPECT_EQ(testsupport::FileExists(Path("out.xml")), c.checked);
    EXPECT_EQ(!TraceOf("aux.").empty(), c.checked);
    EXPECT_TRUE(form.btn_Run_enabled);
    std::remove(Path("out.xml").c_str());
  }
}

TEST_F(RunTest, TheCheckModeOffReadsNoRegionAndReportsTheValueAsRead) {
  UseMachine("{}");
  tconprobe::LoadConfig("none.ini");
  tconprobe::ApplyBuiltInProfile(false, "");
  tconprobe::gConfig.ROM_CHK_MODE = 1;
  tconprobe::TMainForm form;
  form.outputFileName = "out.xml";
  form.ShowConfiguration();
  EXPECT_EQ(form.le_RomCksAddr.text, "0000");  // the edits keep their design texts
  EXPECT_EQ(form.le_RomCksSize.text, "C000");
  form.btnRunClick();
  EXPECT_EQ(tconprobe::gConfig.RunStatus, 0);
  ExpectFullDocument("out.xml", "0000");
  EXPECT_TRUE(TraceOf("aux.i2c write 0xC4 mot=1 bytes=ff06").empty());
}

TEST_F(RunTest, ALostOutputPathFailsTheRunAndStillRemovesTheTemporaryFile) {
  EXPECT_EQ(Run({"-o", "no-such-folder/out.xml", "-p", "debug.txt"}), 2);
  EXPECT_FALSE(testsupport::FileExists(Path("QIV.xml")));
  const std::string log = Read("debug.txt");
  EXPECT_NE(log.find("] Copy QIV.xml Fail\r\r\n"), std::string::npos) << log;
}

TEST_F(RunTest, ATemporaryFileThatCannotBeSavedFailsTheRun) {
  std::filesystem::create_directory(Path("QIV.xml"));  // a folder takes the name
  EXPECT_EQ(Run({"-o", "out.xml", "-p", "debug.txt"}), 2);
  EXPECT_FALSE(testsupport::FileExists(Path("out.xml")));
  const std::string log = Read("debug.txt");
  EXPECT_NE(log.find("] Save QIV.xml Fail\r\r\n"), std::string::npos) << log;
  EXPECT_EQ(TraceOf("file.copy").size(), 0u);
  EXPECT_EQ(TraceOf("file.delete QIV.xml").size(), 1u);
  EXPECT_TRUE(sim::CurrentRun().messageBoxes.empty());
}

TEST_F(RunTest, AnExistingTemporaryFileIsReplacedAndRemoved) {
  testsupport::WriteFile(Path("QIV.xml"), std::string(5000, 'x'));
  EXPECT_EQ(Run({"-o", "out.xml"}), 0);
  ExpectFullDocument("out.xml", "0008");
  EXPECT_FALSE(testsupport::FileExists(Path("QIV.xml")));
}

TEST_F(RunTest, TheDefaultCheckTakes35AuxTransactionsAndNineWaits) {
  EXPECT_EQ(Run({"-o", "out.xml"}), 0);
  EXPECT_EQ(TraceOf("aux.").size(), 35u);
  EXPECT_EQ(TraceOf("aux.native").size(), 1u);
  EXPECT_EQ(TraceOf("aux.i2c").size(), 34u);
  EXPECT_EQ(TraceOf("kernel32.Sleep 1").size(), 9u);
  // The challenge is the C runtime's first three numbers, echoed back.
  EXPECT_EQ(TraceOf("aux.i2c write 0xC4 mot=1 bytes=2923").size(), 1u);
  EXPECT_EQ(TraceOf("aux.i2c write 0xC4 mot=0 bytes=be").size(), 1u);
}

}  // namespace
}  // namespace tconprobe_test
