// drivetag run as a process on copies of the shipped machines: exit codes,
// the log it leaves, what it writes into the drives and keeps in the machine
// file, and the built-in machine.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/process.h"
#include "tests/support/table_rows.h"

namespace {

using testsupport::PrintTo;

using testsupport::ProcessResult;
using testsupport::RunProcess;

const std::string kDrivetag = DRIVETAG_EXE;
const std::string kMachines = SHIPPED_MACHINES_DIR;
const std::string kLogFolder = "c-drive/ProgramData/Orvo/Tallyhub/Log";

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

std::string LastLine(const std::string& log) {
  if (log.size() < 2) return "";
  const auto start = log.rfind("\r\n", log.size() - 3);
  const std::string line = log.substr(start == std::string::npos ? 0 : start + 2);
  return line.substr(line.find(" : ") + 3);
}

struct ShippedCase {
  const char* machine;
  int exitCode;
  const char* lastLine;
  std::size_t writes;      // Set Features delivered on the first run
  std::size_t unsupported; // "not supported" lines
  std::size_t failures;    // failed writes
};

class DrivetagShippedMachineTest : public ::testing::TestWithParam<ShippedCase> {
 protected:
  ProcessResult Run() {
    std::filesystem::remove(dir_ / "trace.txt");
    return RunProcess({kDrivetag}, {{"INVSIM_MACHINE", machine_}, {"INVSIM_TRACE", dir_ / "trace.txt"}},
                      dir_.path());
  }
  std::string Trace() const { return testsupport::ReadFile(dir_ / "trace.txt"); }
  std::size_t Attempts() const { return Count(Trace(), "opcode=0x9 nsid=0 cdw10=0xDA"); }
  std::size_t Writes() const { return Attempts() - Count(Trace(), "refused (fault)"); }

  testsupport::TempDir dir_;
  std::string machine_ = dir_ / "machine.json";
};

TEST_P(DrivetagShippedMachineTest, RunsAsTheMachineDescribesAndASecondRunWritesNothing) {
  std::filesystem::copy_file(kMachines + "/drivetag/" + GetParam().machine, machine_);
  std::filesystem::create_directories(dir_ / kLogFolder);
  const ProcessResult first = Run();
  EXPECT_EQ(first.exitCode, GetParam().exitCode) << first.stderrBytes;
  EXPECT_EQ(first.stderrBytes, "");
  const std::string log = testsupport::ReadFile(dir_ / (kLogFolder + "/THHOSTMetadata.txt"));
  EXPECT_EQ(LastLine(log), std::string(GetParam().lastLine) + "\r\n") << log;
  EXPECT_EQ(Writes(), GetParam().writes);
  EXPECT_EQ(Count(log, "Host Metadata is not supported for HDD"), GetParam().unsupported);
  EXPECT_EQ(Count(log, "Failure during write opreation into HDD"), GetParam().failures);

  const std::string saved = testsupport::ReadFile(machine_);
  const ProcessResult second = Run();
  EXPECT_EQ(second.exitCode, GetParam().exitCode);
  EXPECT_EQ(Writes(), 0u);
  EXPECT_EQ(Attempts(), GetParam().failures);  // only what failed is tried again
  EXPECT_EQ(testsupport::ReadFile(machine_), saved);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, DrivetagShippedMachineTest,
    ::testing::Values(
        ShippedCase{"new-drive.json", 0, "NVME hostmetadata inventory completed successfully.", 10, 0, 0},
        ShippedCase{"stamped.json", 0, "NVME hostmetadata inventory completed successfully.", 0, 0, 0},
        ShippedCase{"updated-bios.json", 0, "NVME hostmetadata inventory completed successfully.", 2, 0, 0},
        ShippedCase{"mixed.json", 0, "NVME hostmetadata inventory completed successfully.", 10, 2, 0},
        ShippedCase{"write-fails.json", 0, "NVME hostmetadata inventory completed successfully.", 9, 0, 1},
        ShippedCase{"no-disks.json", 0, "NVME hostmetadata inventory completed successfully.", 0, 0, 0},
        ShippedCase{"disk-list-fails.json", 1, "NVME hostmetadata inventory executed with failure.", 0, 0, 0},
        ShippedCase{"not-administrator.json", 0, "NVME hostmetadata inventory completed successfully.", 0, 0, 0}),
    [](const auto& info) { return testsupport::TestNameOfFile(info.param.machine); });

TEST(DrivetagProgramTest, WrittenElementsAreSavedWithTheMachine) {
  testsupport::TempDir dir;
  const std::string machine = dir / "machine.json";
  std::filesystem::copy_file(kMachines + "/drivetag/new-drive.json", machine);
  const ProcessResult run = RunProcess({kDrivetag}, {{"INVSIM_MACHINE", machine}}, dir.path());
  EXPECT_EQ(run.exitCode, 0);
  const std::string saved = testsupport::ReadFile(machine);
  EXPECT_NE(saved.find(R"("11": "ORVO Ultrabook 14 G3")"), std::string::npos) << saved;
  EXPECT_NE(saved.find(R"("13": "C:\\Windows\\System32\\drivers\\iaStorVD.sys")"), std::string::npos) << saved;
  // The log folder is never created by the program.
  EXPECT_FALSE(std::filesystem::exists(dir / "c-drive/ProgramData"));
}

TEST(DrivetagProgramTest, BuiltInMachineHasADriveToStampAndItsLogFolder) {
  testsupport::TempDir dir;
  const ProcessResult run =
      RunProcess({kDrivetag}, {{"INVSIM_MACHINE", ""}, {"TMPDIR", dir.path()}}, dir.path());
  EXPECT_EQ(run.exitCode, 0) << run.stderrBytes;
  const std::string log =
      testsupport::ReadFile(dir / "invsim-c/ProgramData/Orvo/Tallyhub/Log/THHOSTMetadata.txt");
  EXPECT_EQ(Count(log, "Value is Written into HDD0"), 10u) << log;
  EXPECT_EQ(LastLine(log), "NVME hostmetadata inventory completed successfully.\r\n");
  EXPECT_NE(run.stdoutBytes.find("index falg value post increment : 1\r\n"), std::string::npos);
}

}  // namespace
