// The built programs run as processes on machine files: start-up, machine
// file errors, saving changes, and the shipped example machines.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/process.h"

namespace {

using testsupport::ProcessResult;
using testsupport::RunProcess;

const std::string kCleanupScan = CLEANUPSCAN_EXE;
const std::string kMachines = SHIPPED_MACHINES_DIR;

std::string Version(const std::string& document) {
  const std::string text = testsupport::Utf16LeToUtf8(document);
  if (text.find("<SVMInventory lang=\"en\"></SVMInventory></xml>") != std::string::npos) return "<empty form>";
  const auto start = text.find(" version=\"", text.find("<Application"));
  return start == std::string::npos ? "<none>" : text.substr(start + 10, text.find('"', start + 10) - start - 10);
}

class ProgramRunTest : public ::testing::Test {
 protected:
  ProcessResult Run(const std::string& exe, const std::vector<std::string>& arguments,
                    const std::string& machine) {
    std::vector<std::string> argv{exe};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::map<std::string, std::string> env{{"INVSIM_MACHINE", machine},
                                           {"INVSIM_TRACE", dir_ / "trace.txt"}};
    return RunProcess(argv, env, dir_.path());
  }
  // A working copy of a shipped machine, never the original.
  std::string CopyMachine(const std::string& name) {
    const std::string copy = dir_ / "machine.json";
    std::filesystem::copy_file(kMachines + "/" + name, copy,
                               std::filesystem::copy_options::overwrite_existing);
    return copy;
  }
  testsupport::TempDir dir_;
};

struct ShippedCase {
  const char* machine;  // file name, also the test's name
  const char* reported;
  bool changesMachine;
};

class ShippedCleanupMachineTest : public ProgramRunTest,
                                  public ::testing::WithParamInterface<ShippedCase> {};

TEST_P(ShippedCleanupMachineTest, ReportsWhatTheMachineDescribes) {
  const std::string machine = CopyMachine(std::string("cleanupscan/") + GetParam().machine);
  const std::string before = testsupport::ReadFile(machine);
  const ProcessResult run = Run(kCleanupScan, {"-o", "inv.xml"}, machine);
  EXPECT_EQ(run.exitCode, 0) << run.stderrBytes;
  EXPECT_EQ(run.stdoutBytes, "");
  EXPECT_EQ(Version(testsupport::ReadFile(dir_ / "inv.xml")), GetParam().reported);
  EXPECT_EQ(testsupport::ReadFile(machine) != before, GetParam().changesMachine);
  // A second run sees what the first one recorded and changes nothing more.
  const std::string after = testsupport::ReadFile(machine);
  Run(kCleanupScan, {"-o", "inv.xml"}, machine);
  EXPECT_EQ(Version(testsupport::ReadFile(dir_ / "inv.xml")), GetParam().reported);
  EXPECT_EQ(testsupport::ReadFile(machine), after);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, ShippedCleanupMachineTest,
    ::testing::Values(ShippedCase{"windows32.json", "<empty form>", false},
                      ShippedCase{"fresh-install.json", "2.5.0", true},
                      ShippedCase{"driver-left-behind.json", "0.0.0", true},
                      ShippedCase{"driver-other-version.json", "2.4.1", false},
                      ShippedCase{"driver-no-version.json", "0.0.0", false},
                      ShippedCase{"removed.json", "2.5.0", false},
                      ShippedCase{"not-administrator.json", "0.0.0", false}),
    [](const auto& info) {
      std::string name = info.param.machine;
      name = name.substr(0, name.find('.'));
      for (char& c : name) {
        if (c == '-') c = '_';
      }
      return name;
    });

TEST_F(ProgramRunTest, SavedMachineKeepsTheRecordedValueAsSixteenBytes) {
  const std::string machine = CopyMachine("cleanupscan/fresh-install.json");
  Run(kCleanupScan, {}, machine);
  const std::string saved = testsupport::ReadFile(machine);
  EXPECT_NE(saved.find(R"("type": 1)"), std::string::npos) << saved;
  EXPECT_NE(saved.find(R"("hex": "32002e0035002e003000000000000000")"), std::string::npos) << saved;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    EXPECT_EQ(entry.path().filename().string().find(".saving."), std::string::npos);
  }
}

struct BrokenMachine {
  const char* name;
  const char* content;  // null: the file does not exist
  const char* complaint;
};

class BrokenMachineTest : public ProgramRunTest, public ::testing::WithParamInterface<BrokenMachine> {};

TEST_P(BrokenMachineTest, StopsBeforeDoingAnythingWithOneLineNamingTheFile) {
  const std::string machine = dir_ / "broken.json";
  if (GetParam().content != nullptr) testsupport::WriteFile(machine, GetParam().content);
  const ProcessResult run = Run(kCleanupScan, {}, machine);
  EXPECT_EQ(run.exitCode, 125);
  EXPECT_EQ(run.stdoutBytes, "");
  EXPECT_EQ(std::count(run.stderrBytes.begin(), run.stderrBytes.end(), '\n'), 1) << run.stderrBytes;
  EXPECT_NE(run.stderrBytes.find(machine), std::string::npos) << run.stderrBytes;
  EXPECT_NE(run.stderrBytes.find(GetParam().complaint), std::string::npos) << run.stderrBytes;
  EXPECT_FALSE(testsupport::FileExists(dir_ / "OutputFile.xml"));
  EXPECT_FALSE(testsupport::FileExists(dir_ / "trace.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenMachineTest,
    ::testing::Values(
        BrokenMachine{"Missing", nullptr, "cannot be read"},
        BrokenMachine{"NotJson", "{\"windows\": 64,", "not valid JSON"},
        BrokenMachine{"NotAnObject", "[1, 2]", "must be a JSON object"},
        BrokenMachine{"UnknownKey", R"({"windowz": 64})", "unknown key \"windowz\""},
        BrokenMachine{"WrongType", R"({"administrator": "yes"})", "\"administrator\" must be true or false"},
        BrokenMachine{"BadWindows", R"({"windows": 16})", "\"windows\" must be 64 or 32"},
        BrokenMachine{"BadTime", R"({"localTime": "yesterday"})", "\"localTime\""},
        BrokenMachine{"BadHive", R"({"registry": {"HKXX\\A": {}}})", "must start with HKLM"},
        BrokenMachine{"BadValue", R"({"registry": {"HKLM\\A": {"V": [1]}}})", "value \"V\""},
        BrokenMachine{"BadHex", R"({"registry": {"HKLM\\A": {"V": {"type": 1, "hex": "3"}}}})", "\"hex\""},
        BrokenMachine{"BadDevice", R"({"devices": [{"name": 5}]})", "device key \"name\""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramRunTest, BuiltInMachineIsUsedWithoutAMachineFile) {
  const ProcessResult run =
      RunProcess({kCleanupScan, "-o", "inv.xml"}, {{"INVSIM_MACHINE", ""}}, dir_.path());
  EXPECT_EQ(run.exitCode, 0) << run.stderrBytes;
  EXPECT_EQ(Version(testsupport::ReadFile(dir_ / "inv.xml")), "2.5.0");
}

TEST_F(ProgramRunTest, TraceRecordsEachPlatformCallInOrder) {
  const std::string machine = CopyMachine("cleanupscan/fresh-install.json");
  Run(kCleanupScan, {}, machine);
  const std::string trace = testsupport::ReadFile(dir_ / "trace.txt");
  const char* expected[] = {
      "kernel32.GetProcAddress IsWow64Process -> found",
      "kernel32.IsWow64Process -> TRUE",
      "file.open \\\\.\\Zerbix_2_3 access=0x0 share=0x0 disposition=3 -> 2",
      "reg.open HKLM\\SOFTWARE\\WOW6432Node\\ORVO\\ManageableUpdatePackage\\ZerbixRemovalTool "
      "view=32 access=0x20019 -> 2",
      "reg.create HKLM\\SOFTWARE\\WOW6432Node\\ORVO\\ManageableUpdatePackage\\ZerbixRemovalTool "
      "view=32 access=0x20006 -> 0",
      "reg.set HKLM\\SOFTWARE\\WOW6432Node\\ORVO\\ManageableUpdatePackage\\ZerbixRemovalTool "
      "\"Version\" type=1 bytes=32002e0035002e003000000000000000 -> 0",
      "file.open OutputFile.xml access=0x40000000 share=0x0 disposition=2 -> 0"};
  std::size_t at = 0;
  for (const char* line : expected) {
    const auto found = trace.find(line, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << trace;
    at = found;
  }
}

}  // namespace
