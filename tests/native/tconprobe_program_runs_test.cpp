// tconprobe run as a process on copies of the shipped panel machines and
// on the built-in machine: exit codes, the document at the "-o" path, the
// debug log, and the usage on the console.
#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

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

// Runs of tconprobe in a temporary folder with a machine file and a trace.
class TconprobeMachineRuns : public ::testing::Test {
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

class TconprobeShippedMachineTest : public TconprobeMachineRuns,
                                    public ::testing::WithParamInterface<ShippedCase> {};

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

// "-T" and "-DM" on the same machine: the detect log's last line and the
// exit codes of detection alone and of detection before the check.
struct DetectCase {
  const char* machine;
  int detectExit;
  const char* lastLine;
  int checkExit;
  const char* version;  // the "-DM" document's version; "" the empty one, null none
};

class TconprobeDetectMachineTest : public TconprobeMachineRuns,
                                   public ::testing::WithParamInterface<DetectCase> {};

INSTANTIATE_TEST_SUITE_P(
    Shipped, TconprobeDetectMachineTest,
    ::testing::Values(
    DetectCase{"flash-edp.json", 4, "recommend based model:KS52310.ini", 0, "0008"},
    DetectCase{"flash-dp.json", 4, "recommend based model:KS52320.ini", 0, "0008"},
    DetectCase{"flash-edp-dp-monitor.json", 4, "recommend based model:KS52310.ini", 0, "0008"},
    DetectCase{"flash-unknown-model.json", 5, "recommend based model:unknown", 0, "0008"},
    DetectCase{"flash-no-version.json", 5, "NO TCON FLOW AVAILABLE", 0, "0008"},
    DetectCase{"eeprom-400.json", 4, "recommend based model:KS52400.ini", 3, nullptr},
    DetectCase{"eeprom-040.json", 4, "recommend based model:KS52410.ini", 3, nullptr},
    DetectCase{"eeprom-both.json", 4, "recommend based model:KS52400.ini", 3, nullptr},
    DetectCase{"eeprom-unsigned.json", 5, "NO GPU AVAILABLE", 0, "0008"},
    DetectCase{"no-intel-object.json", 5, "NO GPU AVAILABLE", 2, ""},
    DetectCase{"matching.json", 5, "NO GPU AVAILABLE", 0, "0008"},
    DetectCase{"flash-edp-nvidia.json", 4, "recommend based model:KS52310.ini", 0, "0008"},
    DetectCase{"flash-edp-amd.json", 4, "recommend based model:KS52310.ini", 0, "0008"},
    // The panel answers on AMD eDP, but has neither flash nor an EEPROM: the
    // check then goes back to the profile's Intel GPU, which is not there.
    DetectCase{"amd-edp.json", 5, "NO GPU AVAILABLE", 2, ""}),
    [](const auto& info) { return testsupport::TestNameOfFile(info.param.machine); });

TEST_P(TconprobeDetectMachineTest, DetectsAndChecksAsTheMachineDescribes) {
  const DetectCase& c = GetParam();
  const std::string machine = dir_ / "machine.json";
  std::filesystem::copy_file(kMachines + "/tconprobe/" + c.machine, machine);
  const ProcessResult detect = Run({"-T"}, machine);
  EXPECT_EQ(detect.exitCode, c.detectExit) << detect.stderrBytes;
  const std::string log = Read("detect_log.txt");
  const std::size_t lastStart = log.rfind("\r\n", log.size() - 3);
  EXPECT_EQ(log.substr(lastStart == std::string::npos ? 0 : lastStart + 2), std::string(c.lastLine) + "\r\n");
  EXPECT_FALSE(testsupport::FileExists(dir_ / "out.xml"));

  std::filesystem::remove(dir_ / "detect_log.txt");
  const ProcessResult check = Run({"-DM", "-o", "out.xml"}, machine);
  EXPECT_EQ(check.exitCode, c.checkExit) << check.stderrBytes;
  EXPECT_FALSE(testsupport::FileExists(dir_ / "detect_log.txt"));
  if (c.version == nullptr) {
    EXPECT_FALSE(testsupport::FileExists(dir_ / "out.xml"));
  } else if (c.version[0] == '\0') {
    EXPECT_EQ(Read("out.xml"), kEmptyDocument);
  } else {
    EXPECT_NE(Read("out.xml").find(std::string("version=\"") + c.version + "\""), std::string::npos);
  }
  EXPECT_EQ(testsupport::ReadFile(machine), testsupport::ReadFile(kMachines + "/tconprobe/" + c.machine));
}

// Detection's last NVIDIA trial asks for eDP where only a DisplayPort
// monitor is connected: the selection fails with the library initialised,
// and the program's end unloads it and gives it back, after everything else.
TEST_F(TconprobeMachineRuns, ProgramEndGivesBackAnNvidiaLibraryLeftInitialised) {
  const std::string machine = dir_ / "machine.json";
  std::filesystem::copy_file(kMachines + "/tconprobe/nvidia-monitor-only.json", machine);
  const ProcessResult run = Run({"-T"}, machine);
  EXPECT_EQ(run.exitCode, 5) << run.stderrBytes;
  std::vector<std::string> lines;
  std::string line;
  for (char c : Read("trace.txt")) {
    if (c != '\n') {
      line += c;
    } else if (line.find("NvidiaAPI.dll") != std::string::npos || line.rfind("nvidia.Nv", 0) == 0) {
      lines.push_back(std::exchange(line, ""));
    } else {
      line.clear();
    }
  }
  ASSERT_GE(lines.size(), 3u);
  EXPECT_NE(lines[lines.size() - 3].find("NvGPU_GetConnectorInfo"), std::string::npos);  // no eDP
  EXPECT_EQ(lines[lines.size() - 2], "nvidia.NvUnload -> 0");
  EXPECT_EQ(lines.back(), "kernel32.FreeLibrary NvidiaAPI.dll -> 0");
  EXPECT_TRUE(Read("trace.txt").ends_with(lines.back() + "\n"));
}

TEST(TconprobeProgramTest, TheBuiltInMachineDetectsItsPanel) {
  testsupport::TempDir dir;
  const ProcessResult run = RunProcess({kTconprobe, "-T"}, {{"INVSIM_MACHINE", ""}}, dir.path());
  EXPECT_EQ(run.exitCode, 4) << run.stderrBytes;
  const std::string log = testsupport::ReadFile(dir / "detect_log.txt");
  EXPECT_NE(log.find("\r\nFLASH_PROG_ADDR:0x5000\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.substr(log.size() - 35), "recommend based model:KS52310.ini\r\n");
}

TEST(TconprobeProgramTest, UsageReachesTheConsoleAndEndsWith2) {
  testsupport::TempDir dir;
  const ProcessResult run = RunProcess({kTconprobe}, {{"INVSIM_MACHINE", ""}}, dir.path());
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.stdoutBytes, "\r\n[Usage] tconprobe -o output_file_name.xml\r\n");
}

}  // namespace
