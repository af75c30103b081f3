// tconprobe.exe under Wine, where no GPU interface exists: a run reports
// "Open DP Fail" and the empty document; usage lines reach the console of
// the parent; exit codes of the command line; another program calls the
// exports.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/wine/wine_harness.h"

namespace winetest {
namespace {

const std::string kTconprobe = Win64Path("tconprobe/tconprobe.exe");
const std::string kAuxCaller = Win64Path("tests/windows/aux_caller.exe");

const std::string kEmptyDocument = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<SVMInventory lang=\"en\"/>\r\n";

class TconprobeWineTest : public WineTest {};

// The tick stamps aside, the debug log's texts in order.
std::vector<std::string> DebugTexts(const std::string& log) {
  std::vector<std::string> texts;
  std::size_t start = 0;
  while (start < log.size()) {
    const std::size_t end = log.find("\r\r\n", start);
    if (end == std::string::npos || log[start] != '[') return {"<not a debug line: " + log.substr(start) + ">"};
    const std::string line = log.substr(start, end - start);
    texts.push_back(line.substr(line.find("] ") + 2));
    start = end + 3;
  }
  return texts;
}

TEST_F(TconprobeWineTest, WithoutAGpuTheRunEndsOpenDpFailWithTheEmptyDocument) {
  const auto run = Run(kTconprobe, {"-o", "out.xml", "-p", "debug.txt"});
  EXPECT_EQ(run.exitCode, 2) << run.stderrBytes;
  EXPECT_EQ(Read("out.xml"), kEmptyDocument);
  EXPECT_FALSE(testsupport::FileExists(Path("QIV.xml")));
  EXPECT_EQ(DebugTexts(Read("debug.txt")), (std::vector<std::string>{"RUN ROM Check", "Open DP Fail"}));
}

TEST_F(TconprobeWineTest, TheDocumentReachesAnOutputPathInAnotherFolder) {
  std::filesystem::create_directory(Path("reports"));
  testsupport::WriteFile(Path("QIV.xml"), "an old temporary file");
  const auto run = Run(kTconprobe, {"-o", "reports\\out.xml"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(Read("reports/out.xml"), kEmptyDocument);
  EXPECT_FALSE(testsupport::FileExists(Path("QIV.xml")));
}

TEST_F(TconprobeWineTest, ExitCodesOfTheCommandLine) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    bool detectLog;
  };
  const Case cases[] = {
      {{}, 2, false},
      {{"-o", "out.xml", "-p"}, 2, false},
      {{"-o", std::string(260, 'n')}, 2, false},
      // No GPU answers in these runs: detection finds nothing.
      {{"-T"}, 5, true},
      {{"-o", "-T"}, 5, true},
      {{"-t", "-o", "out.xml"}, 2, false},  // lower case is no option: the normal run fails to open
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    std::remove(Path("detect_log.txt").c_str());
    const auto run = Run(kTconprobe, c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(testsupport::FileExists(Path("detect_log.txt")), c.detectLog);
  }
}

TEST_F(TconprobeWineTest, UsageLinesReachTheParentsConsole) {
  const auto bare = RunWineInTerminal(kTconprobe, {}, Path(""));
  EXPECT_EQ(bare.exitCode, 2);
  EXPECT_EQ(bare.stdoutBytes, "\n[Usage] tconprobe -o output_file_name.xml\n");
  const auto noLog = RunWineInTerminal(kTconprobe, {"-o", "out.xml", "-l"}, Path(""));
  EXPECT_EQ(noLog.exitCode, 2);
  EXPECT_EQ(noLog.stdoutBytes, "\n[Usage] tconprobe -p log_file_name.txt -o output_file_name.xml\n");
  EXPECT_FALSE(testsupport::FileExists(Path("out.xml")));
}

TEST_F(TconprobeWineTest, AnotherProgramGetsTheRecordChecksAnswers) {
  const auto run = Run(kAuxCaller, {kTconprobe});
  ASSERT_EQ(run.exitCode, 0) << run.stdoutBytes << run.stderrBytes;
  std::string answers = run.stdoutBytes;
  answers.erase(std::remove(answers.begin(), answers.end(), '\r'), answers.end());
  EXPECT_EQ(answers,
            "open-null -2\n"
            "close-null -2\n"
            "native-null -2\n"
            "i2c-null -2\n"
            "native-length-0 -2\n"
            "native-null-data -2\n"
            "native-closed -1 requestBytes=16\n"
            "i2c-length-0 -2\n"
            "i2c-closed -1 requestBytes=4 offset=0x34\n"
            "open-gpu-0 -1\n"
            "open-gpu-4 -1\n"
            "open-gpu--1 -1\n"
            "close 0\n");
}

}  // namespace
}  // namespace winetest
