// tconprobe run as a process on copies of the shipped panel machines and
// on the built-in machine: exit codes, the document at the "-o" path, the
// debug log, and the usage on the console.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/process.h"

namespace {

using testsupport::ProcessResult;
using testsupport::RunProcess;

const std::string kTconprobe = TCONPROBE_EXE;
const std::string kMachines = SHIPPED_MACHINES_DIR;

const std::string kEmptyDocument = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<SVMInventory lang=\"en\"/>\r\n";

struct ShippedCase {
  const char* machine;
  int exitCode;
  const char* version;    // the document's version; "" for the empty document
  const char* lastLine;   // the debug log's last text
};

class TconprobeShippedMachineTest : public ::testing::TestWithParam<ShippedCase> {
 protected:
  ProcessResult Run(const std::vector<std::string>& arguments, const std::string& machine) {
    std::vector<std::string> argv{kTconprobe};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunProcess(argv, {{"INVSIM_MACHINE", machine}, {"INVSIM_TRACE", dir_ / "trace.txt"}}, dir_.path());
  }
  std::string Read(const std::string& name) const { return testsupport::ReadFile(dir_ / name); }
  static std::string LastText(const std::string& log) {
    const std::size_t end = log.rfind("\r\r\n");
    const std::size_t start = log.rfind("\r\r\n", end - 1);
    const std::string line = log.substr(start == std::string::npos ? 0 : start + 3, end - start - 3);
    return line.substr(line.find("] ") + 2);
  }

  testsupport::TempDir dir_;
};

TEST_P(TconprobeShippedMachineTest, EndsAsTheMachineDescribes) {
  const std::string machine = dir_ / "machine.json";
  std::filesystem::copy_file(kMachines + "/tconprobe/" + GetParam().machine, machine);
  const ProcessResult run = Run({"-o", "out.xml", "-p", "debug.txt"}, machine);
  EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.stderrBytes;
  const std::string document = Read("out.xml");
  if (GetParam().version[0] == '\0') {
    EXPECT_EQ(document, kEmptyDocument);
  } else {
    EXPECT_NE(document.find(std::string("version=\"") + GetParam().version + "\""), std::string::npos) << document;
  }
  EXPECT_EQ(LastText(Read("debug.txt")), GetParam().lastLine);
  EXPECT_FALSE(testsupport::FileExists(dir_ / "QIV.xml"));
  EXPECT_EQ(run.stdoutBytes, "");
  // Nothing of the machine changes in a run: the file stays as shipped.
  EXPECT_EQ(testsupport::ReadFile(machine), testsupport::ReadFile(kMachines + "/tconprobe/" + GetParam().machine));
}

INSTANTIATE_TEST_SUITE_P(
    Shipped, TconprobeShippedMachineTest,
    ::testing::Values(ShippedCase{"matching.json", 0, "0008", "Read checksum:000008"},
                      ShippedCase{"other-value.json", 0, "0009", "Read checksum:000009"},
                      ShippedCase{"driver-retries.json", 0, "0008", "Read checksum:000008"},
                      ShippedCase{"driver-errors.json", 2, "", "MCU CONNECT INIT FAIL 0x8F"},
                      ShippedCase{"mcu-silent.json", 2, "", "MCU CONNECT INIT FAIL 0x8F"},
                      ShippedCase{"mcu-never-done.json", 2, "", "Read Checksum Fail"},
                      ShippedCase{"no-intel-object.json", 2, "", "Open DP Fail"}),
    [](const auto& info) { return testsupport::TestNameOfFile(info.param.machine); });

TEST(TconprobeProgramTest, TheBuiltInMachineReportsItsPanel) {
  testsupport::TempDir dir;
  const ProcessResult run = RunProcess({kTconprobe, "-o", "out.xml"}, {{"INVSIM_MACHINE", ""}}, dir.path());
  EXPECT_EQ(run.exitCode, 0) << run.stderrBytes;
  EXPECT_NE(testsupport::ReadFile(dir / "out.xml").find("version=\"0008\""), std::string::npos);
}

TEST(TconprobeProgramTest, UsageReachesTheConsoleAndEndsWith2) {
  testsupport::TempDir dir;
  const ProcessResult run = RunProcess({kTconprobe}, {{"INVSIM_MACHINE", ""}}, dir.path());
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.stdoutBytes, "\r\n[Usage] tconprobe -o output_file_name.xml\r\n");
}

}  // namespace
