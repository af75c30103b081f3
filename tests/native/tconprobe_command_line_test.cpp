// tconprobe's options, its usage lines on the parent's console, and the
// exit codes of the runs they select.
#include <filesystem>

#include "tests/native/tconprobe_fixture.h"

namespace tconprobe_test {
namespace {

const std::string kUsageOutput = "\r\n[Usage] tconprobe -o output_file_name.xml\r\n";
const std::string kUsageLog = "\r\n[Usage] tconprobe -p log_file_name.txt -o output_file_name.xml\r\n";

class CommandLineTest : public TconprobeTest {};

TEST_F(CommandLineTest, MissingValuesPrintTheUsageAndTouchNoLink) {
  struct Case {
    std::vector<std::string> arguments;
    std::string printed;
  };
  const std::string longName(260, 'n');
  const Case cases[] = {
      {{}, kUsageOutput},
      {{"-o"}, kUsageOutput},
      {{"-o", "out.xml", "-p"}, kUsageLog},
      {{"-o", "out.xml", "-l"}, kUsageLog},
      {{"-p"}, kUsageOutput + kUsageLog},
      {{"-DM"}, kUsageOutput},
      {{"-O", "out.xml"}, kUsageOutput},          // options are case-sensitive
      {{"-o", longName}, kUsageOutput},           // a name the path buffers cannot hold is refused
      {{"-o", "out.xml", "-p", longName}, kUsageLog},
      {{"-o", "out.xml", "-l", "-o"}, ""},         // "-o" is the log's name here
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    UseMachine("{}");
    std::remove(Path("trace.txt").c_str());
    sim::CurrentRun().stdoutBytes.clear();
    const int status = Run(c.arguments);
    EXPECT_EQ(Stdout(), c.printed);
    if (c.printed.empty()) continue;
    EXPECT_EQ(status, 2);
    EXPECT_TRUE(TraceOf("aux.").empty());
    EXPECT_TRUE(TraceOf("ini.read").empty());
    EXPECT_FALSE(testsupport::FileExists(Path("out.xml")));
  }
}

TEST_F(CommandLineTest, WithoutAConsoleParentTheUsageGoesNowhere) {
  UseMachine(R"({"parentConsole": false})");
  EXPECT_EQ(Run({}), 2);
  EXPECT_EQ(Stdout(), "");
  EXPECT_TRUE(sim::CurrentRun().stdoutClosed);
  EXPECT_EQ(TraceOf("crt.freopen CONOUT$ -> failed").size(), 1u);
}

TEST_F(CommandLineTest, OptionsSelectTheRun) {
  struct Case {
    std::vector<std::string> arguments;
    int status;
    bool detectLog;     // detection-only: "detect_log.txt" is written
    std::string document;  // the file the document reaches, or ""
  };
  const Case cases[] = {
      {{"-o", "out.xml"}, 0, false, "out.xml"},
      {{"-T"}, 4, true, ""},
      {{"-T", "-o", "out.xml"}, 4, true, ""},       // "-o" is never looked at
      {{"-o", "-T"}, 4, true, ""},                  // "-T" is the output name and the mode
      {{"-DM", "-o", "out.xml"}, 0, false, "out.xml"},
      {{"-t", "-dm", "-o", "out.xml"}, 0, false, "out.xml"},
      {{"-oname", "out.xml"}, 0, false, "out.xml"},  // any argument that begins with "-o"
      {{"-o", "first.xml", "-o", "out.xml"}, 0, false, "out.xml"},
      {{"-o", "out.xml", "-f:model.ini"}, 0, false, "out.xml"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    UseMachine("{}");
    std::remove(Path("out.xml").c_str());
    std::remove(Path("detect_log.txt").c_str());
    EXPECT_EQ(Run(c.arguments), c.status);
    EXPECT_EQ(testsupport::FileExists(Path("detect_log.txt")), c.detectLog);
    if (c.detectLog) {
      const std::string log = Read("detect_log.txt");
      EXPECT_EQ(log.substr(log.rfind('\n', log.size() - 3) + 1), "recommend based model:KS52310.ini\r\n");
    }
    EXPECT_EQ(testsupport::FileExists(Path("out.xml")), c.document == "out.xml");
    EXPECT_FALSE(testsupport::FileExists(Path("first.xml")));
  }
}

TEST_F(CommandLineTest, TheIniNameIsTakenFromTheCurrentDirectory) {
  testsupport::WriteFile(Path("model.ini"), "[GENERAL]\r\nROM_CKS_ADDR_5=0x1234\r\nTCON_INIT_FLOW=2\r\n");
  EXPECT_EQ(Run({"-f:model.ini", "-o", "out.xml"}), 0);
  EXPECT_EQ(tconprobe::gConfig.ROM_CKS_ADDR[5], 0x1234u);
  EXPECT_EQ(tconprobe::gConfig.TCON_INIT_FLOW, 5u);  // the profile still applies
  // The test's folder lies outside the machine's C: folder, so the current
  // directory is named ".".
  EXPECT_EQ(TraceOf("ini.read ").front().rfind("ini.read .\\model.ini [GENERAL]", 0), 0u);
  // Without "-f:" the model file is KS52310_flash.ini.
  UseMachine("{}");
  testsupport::WriteFile(Path("KS52310_flash.ini"), "[GENERAL]\r\nROM_CKS_ADDR_5=0x55\r\n");
  EXPECT_EQ(Run({"-o", "out.xml"}), 0);
  EXPECT_EQ(tconprobe::gConfig.ROM_CKS_ADDR[5], 0x55u);
  // An over-long name reads as a missing file.
  UseMachine("{}");
  EXPECT_EQ(Run({"-f:" + std::string(300, 'x'), "-o", "out.xml"}), 0);
  EXPECT_EQ(tconprobe::gConfig.ROM_CKS_ADDR[5], 0u);
}

TEST_F(CommandLineTest, ALongestAcceptedOutputNameIs259Characters) {
  const std::string folder(200, 'd');
  std::filesystem::create_directory(Path(folder));
  const std::string name = folder + "/" + std::string(58, 'f');
  ASSERT_EQ(name.size(), 259u);
  EXPECT_EQ(Run({"-o", name}), 0);
  EXPECT_TRUE(testsupport::FileExists(Path(name)));
}

TEST_F(CommandLineTest, ARequestedLogCreatesItsFileInADetectionOnlyRun) {
  EXPECT_EQ(Run({"-p", "log.txt", "-T"}), 4);
  EXPECT_TRUE(testsupport::FileExists(Path("log.txt")));
  EXPECT_EQ(Read("log.txt"), "");
}

}  // namespace
}  // namespace tconprobe_test
