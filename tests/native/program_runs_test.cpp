// The built programs run as processes on machine files: start-up, machine
// file errors, saving changes, and the shipped example machines.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/process.h"
#include "tests/support/recoveryscan_texts.h"
#include "tests/support/table_rows.h"

namespace {

using testsupport::PrintTo;

using testsupport::ProcessResult;
using testsupport::RunProcess;

const std::string kCleanupScan = CLEANUPSCAN_EXE;
const std::string kCoolingScan = COOLINGSCAN_EXE;
const std::string kRecoveryScan = RECOVERYSCAN_EXE;
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
    [](const auto& info) { return testsupport::TestNameOfFile(info.param.machine); });

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
        BrokenMachine{"BadDevice", R"({"devices": [{"name": 5}]})", "device key \"name\""},
        BrokenMachine{"InstallerNotAnObject", R"({"installer": []})", "\"installer\" must be an object"},
        BrokenMachine{"InstallerUnknownKey", R"({"installer": {"product": []}})", "unknown key \"product\""},
        BrokenMachine{"ProductWithoutCode", R"({"installer": {"products": [{}]}})", "needs a \"productCode\""},
        BrokenMachine{"ProductCodeNotAGuid", R"({"installer": {"products": [{"productCode": "{1234}"}]}})",
                      "must be a GUID in braces"},
        BrokenMachine{"ProductBadContext",
                      R"({"installer": {"products": [{"productCode": "{6F1D3A52-8C47-4E0B-9A21-3B5C7D9E0F14}", "context": "global"}]}})",
                      "\"context\" must be"},
        BrokenMachine{"ProductFailureNotACode",
                      R"({"installer": {"products": [{"productCode": "{6F1D3A52-8C47-4E0B-9A21-3B5C7D9E0F14}", "failures": {"VersionString": 0}}]}})",
                      "must be a failure, not 0"},
        BrokenMachine{"ProductPropertyNotText",
                      R"({"installer": {"products": [{"productCode": "{6F1D3A52-8C47-4E0B-9A21-3B5C7D9E0F14}", "properties": {"VersionString": 10}}]}})",
                      "\"VersionString\" must be a string"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramRunTest, BuiltInMachineIsUsedWithoutAMachineFile) {
  const ProcessResult run =
      RunProcess({kCleanupScan, "-o", "inv.xml"}, {{"INVSIM_MACHINE", ""}}, dir_.path());
  EXPECT_EQ(run.exitCode, 0) << run.stderrBytes;
  EXPECT_EQ(Version(testsupport::ReadFile(dir_ / "inv.xml")), "2.5.0");
}

TEST_F(ProgramRunTest, BuiltInMachineHasEveryPackageInstalled) {
  const std::map<std::string, std::string> builtIn{{"INVSIM_MACHINE", ""}};
  EXPECT_EQ(RunProcess({kCoolingScan, "-o", "cooling.xml"}, builtIn, dir_.path()).exitCode, 0);
  EXPECT_EQ(Version(testsupport::ReadFile(dir_ / "cooling.xml")), "1.0.0.5");
  EXPECT_EQ(RunProcess({kRecoveryScan, "-o", "recovery.xml"}, builtIn, dir_.path()).exitCode, 0);
  const std::string recovery = testsupport::ReadFile(dir_ / "recovery.xml");
  EXPECT_NE(recovery.find(" version=\"10.1.20300\""), std::string::npos) << recovery;
  EXPECT_NE(recovery.find("<Device display=\"Orvo Sentiva OS Recovery Application\""), std::string::npos)
      << recovery;
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
      "file.open OutputFile.xm~ access=0x40000000 share=0x0 disposition=2 -> 0",
      "file.move OutputFile.xm~ OutputFile.xml flags=0x9 -> 0"};
  std::size_t at = 0;
  for (const char* line : expected) {
    const auto found = trace.find(line, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << trace;
    at = found;
  }
}

class ShippedCoolingMachineTest : public ProgramRunTest,
                                  public ::testing::WithParamInterface<ShippedCase> {};

TEST_P(ShippedCoolingMachineTest, ReportsWhatTheMachineDescribesAndChangesNothing) {
  const std::string machine = CopyMachine(std::string("coolingscan/") + GetParam().machine);
  const std::string before = testsupport::ReadFile(machine);
  const ProcessResult run = Run(kCoolingScan, {"-o", "inv.xml"}, machine);
  EXPECT_EQ(run.exitCode, 0) << run.stderrBytes;
  EXPECT_EQ(run.stdoutBytes, "");
  EXPECT_EQ(Version(testsupport::ReadFile(dir_ / "inv.xml")), GetParam().reported);
  EXPECT_EQ(testsupport::ReadFile(machine), before);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, ShippedCoolingMachineTest,
    ::testing::Values(ShippedCase{"installed.json", "1.0.0.5", false},
                      ShippedCase{"key-missing.json", "<empty form>", false},
                      ShippedCase{"only-32-bit-view.json", "<empty form>", false},
                      ShippedCase{"no-version.json", "0.0.0.0", false},
                      ShippedCase{"empty-version.json", "<empty form>", false},
                      ShippedCase{"not-administrator.json", "<empty form>", false},
                      ShippedCase{"windows32.json", "<empty form>", false}));

TEST_F(ProgramRunTest, CoolingScanTracesTheErrorBoxAndEndsWithoutWaiting) {
  const std::string machine = CopyMachine("coolingscan/installed.json");
  const ProcessResult run = Run(kCoolingScan, {"-o", "missing\\out.xml"}, machine);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0) << run.stderrBytes;
  const std::string trace = testsupport::ReadFile(dir_ / "trace.txt");
  EXPECT_NE(trace.find("user32.MessageBoxW \"Error\" caption=\"Error\" owner=0x0 type=0x0 -> 1"),
            std::string::npos)
      << trace;
}

struct ShippedRecoveryCase {
  const char* machine;
  const char* version;
  const char* display;
  const char* logLine;  // a line the run log must hold
};

class ShippedRecoveryMachineTest : public ProgramRunTest,
                                   public ::testing::WithParamInterface<ShippedRecoveryCase> {};

TEST_P(ShippedRecoveryMachineTest, ReportsWhatTheMachineDescribesAndChangesNothing) {
  const std::string machine = CopyMachine(std::string("recoveryscan/") + GetParam().machine);
  const std::string before = testsupport::ReadFile(machine);
  const ProcessResult run = Run(kRecoveryScan, {"-o", "inv.xml"}, machine);
  EXPECT_EQ(run.exitCode, 0) << run.stderrBytes;
  EXPECT_EQ(run.stdoutBytes, "");
  EXPECT_EQ(run.stderrBytes, "");  // debugger texts go nowhere visible
  const std::string document = testsupport::ReadFile(dir_ / "inv.xml");
  EXPECT_EQ(document.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\r\n<SVMInventory", 0), 0u);
  EXPECT_NE(document.find(std::string(" version=\"") + GetParam().version + "\""), std::string::npos)
      << document;
  EXPECT_NE(document.find(std::string("<Device display=\"") + GetParam().display + "\""), std::string::npos)
      << document;
  const std::string log = testsupport::ReadFile(dir_ / "xlog.txt");
  EXPECT_EQ(log.rfind("Valtorin inventory Log starts \r\n", 0), 0u) << log;
  EXPECT_NE(log.find(std::string(GetParam().logLine) + " \r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("detected"), std::string::npos) << log;
  EXPECT_EQ(testsupport::ReadFile(machine), before);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, ShippedRecoveryMachineTest,
    ::testing::Values(
        ShippedRecoveryCase{"nothing-installed.json", "0", "OrvoUpdateSentivaPlugin",
                            "Result: No registry data found.  Write Zero inventory"},
        ShippedRecoveryCase{"installed.json", "10.1.20300", "Orvo Sentiva OS Recovery Application",
                            "out.xml succesfully created ERROR - 0"},
        ShippedRecoveryCase{"short-version-registry-fallback.json", "10.1.20.300",
                            "Orvo Sentiva OS Recovery Application", "out.xml succesfully created ERROR - 0"},
        ShippedRecoveryCase{"short-version-no-registry.json", "0", "Orvo Sentiva OS Recovery Application",
                            "out.xml succesfully created ERROR - 0"},
        ShippedRecoveryCase{"short-name.json", "10.1.20300", "OrvoUpdateSentivaPlugin",
                            "out.xml succesfully created ERROR - 0"},
        ShippedRecoveryCase{"per-user-install.json", "0", "OrvoUpdateSentivaPlugin",
                            "ERROR_UNKNOWN_PRODUCT :Error fetching value"},
        ShippedRecoveryCase{"installer-errors.json", "10.1.20.300", "OrvoUpdateSentivaPlugin",
                            "Default: Error fetching value"},
        ShippedRecoveryCase{"windows32.json", "10.1.20.300", "OrvoUpdateSentivaPlugin",
                            "out.xml succesfully created ERROR - 0"}));

TEST_F(ProgramRunTest, RecoveryScanWithoutArgumentsPrintsTheUsageAndFails) {
  const std::string machine = CopyMachine("recoveryscan/installed.json");
  const ProcessResult run = Run(kRecoveryScan, {}, machine);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.stdoutBytes, recoveryscan_texts::kUsage);
  EXPECT_FALSE(testsupport::FileExists(dir_ / "xlog.txt"));
}

}  // namespace

namespace {

// The process is killed while it writes its document (the volume fills up
// and the machine ends the process there): the old document stays whole.
struct KilledWrite {
  const char* name;
  const std::string* exe;
  std::uint64_t freeBytes;  // enough for the log lines before the document
};

class KilledWriteTest : public ProgramRunTest, public ::testing::WithParamInterface<KilledWrite> {};

TEST_P(KilledWriteTest, LeavesTheOldDocumentWhole) {
  const std::string machine = dir_ / "machine.json";
  testsupport::WriteFile(machine, R"({"windows": 64, "volume": {"freeBytes": )" +
                                      std::to_string(GetParam().freeBytes) + R"(, "whenFull": "kill"}})");
  testsupport::WriteFile(dir_ / "inv.xml", "the old document");
  const ProcessResult run = Run(*GetParam().exe, {"-o", "inv.xml"}, machine);
  EXPECT_EQ(run.exitCode, -1) << "the run was not killed";
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(testsupport::ReadFile(dir_ / "inv.xml"), "the old document");
  // What was written went to the temporary file beside it.
  EXPECT_EQ(testsupport::ReadFile(dir_ / "inv.xm~").size(), 100u);
}

INSTANTIATE_TEST_SUITE_P(Modules, KilledWriteTest,
                         ::testing::Values(KilledWrite{"cleanupscan", &kCleanupScan, 100},
                                           KilledWrite{"coolingscan", &kCoolingScan, 100},
                                           KilledWrite{"recoveryscan", &kRecoveryScan,
                                                       100 + recoveryscan_texts::kLogStart.size() +
                                                           recoveryscan_texts::kNoKey.size()}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
