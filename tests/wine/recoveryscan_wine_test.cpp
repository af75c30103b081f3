// recoveryscan's real Windows code under Wine: Wine's msi.dll reached by
// ordinal, with packages built by wixl and installed by msiexec; the
// registry's 64-bit view; the C runtime's text mode for the log and the
// document; the ANSI command line.
#include <filesystem>

#include "tests/support/recoveryscan_texts.h"
#include "tests/wine/wine_harness.h"

namespace winetest {
// Named, not anonymous: the test files of one program are built as one unit.
namespace recoveryscan_wine_test {

const std::string kProductCode = "{6F1D3A52-8C47-4E0B-9A21-3B5C7D9E0F14}";
const std::string kUpgradeCode = "{2253caa0-0ba2-461c-a50e-fc18228ebadd}";
const std::string kKey = "SOFTWARE\\ORVO\\ManageableUpdatePackage\\sentiva_os_recovery";
const std::string kValue = "UninstalledVersionZeroInv";
const std::string kPackageTemplate = std::string(WINE_TEST_SOURCE_DIR) + "/recovery_product.wxs";

using namespace recoveryscan_texts;

const std::string kLongName = "Orvo Sentiva OS Recovery Application";  // 36 characters

class RecoveryScanWineTest : public WineTest {
 protected:
  void SetUp() override {
    WineTest::SetUp();
    Uninstall();  // whatever an earlier case left behind
    DeleteKey(View::Bits32, kKey);
    DeleteKey(View::Bits64, kKey);
  }
  void TearDown() override { Uninstall(); }

  // Builds the package with wixl and installs it silently with msiexec.
  void Install(const std::string& name, const std::string& version, const std::string& scope) {
    const auto built = testsupport::RunProcess(
        {"/usr/bin/wixl", "-D", "ProductCode=" + kProductCode, "-D", "UpgradeCode=" + kUpgradeCode,
         "-D", "Name=" + name, "-D", "Version=" + version, "-D", "Scope=" + scope, "-o",
         Path("product.msi"), kPackageTemplate},
        {}, Path("."));
    ASSERT_EQ(built.exitCode, 0) << built.stderrBytes;
    const auto installed = Run("msiexec", {"/i", "product.msi", "/qn"});
    ASSERT_EQ(installed.exitCode, 0) << "msiexec /i " << name << " " << version << " " << scope;
    std::filesystem::remove(Path("product.msi"));
  }
  // Answers 1605 (69 as an exit code) when nothing is installed.
  void Uninstall() { RunWine("msiexec", {"/x", kProductCode, "/qn"}, Path("."), 120); }

  std::string Attribute(const std::string& file, const std::string& element,
                        const std::string& name) const {
    const std::string text = Read(file);
    const auto at = text.find(" " + name + "=\"", text.find("<" + element));
    if (at == std::string::npos) return "<none>";
    const auto start = at + name.size() + 3;
    return text.substr(start, text.find('"', start) - start);
  }
  std::string Exe() const { return Win64Path("inventory/recoveryscan.exe"); }
};

struct InstallRow {
  const char* name;
  const char* productName;  // null: nothing installed
  const char* version;
  const char* scope;
  const char* registry;     // "UninstalledVersionZeroInv" in the 64-bit view; null: no key
  std::string reportedVersion;
  std::string reportedDisplay;
  std::string logBody;      // between the start line and the success line
};

void PrintTo(const InstallRow& row, std::ostream* out) { *out << row.name; }

class RecoveryScanWineInstallTest : public RecoveryScanWineTest,
                                    public ::testing::WithParamInterface<InstallRow> {};

TEST_P(RecoveryScanWineInstallTest, ReportsWhatTheInstallerAndTheRegistryHold) {
  const InstallRow& row = GetParam();
  if (row.productName != nullptr) Install(row.productName, row.version, row.scope);
  if (row.registry != nullptr) SetString(View::Bits64, kKey, kValue, row.registry);
  const auto run = Run(Exe(), {"-o", "inv.xml"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.stdoutBytes, "");
  EXPECT_EQ(Attribute("inv.xml", "Application", "version"), row.reportedVersion);
  EXPECT_EQ(Attribute("inv.xml", "Application", "packageVersion"), row.reportedVersion);
  EXPECT_EQ(Attribute("inv.xml", "Device", "display"), row.reportedDisplay);
  EXPECT_EQ(Read("xlog.txt"), kLogStart + row.logBody + kDone);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RecoveryScanWineInstallTest,
    ::testing::Values(
        InstallRow{"NothingInstalled", nullptr, "", "", nullptr, "0", kDefaultDisplay, kNoKey},
        InstallRow{"RegistryVersionOnly", nullptr, "", "", "10.1.20.300", "10.1.20.300", kDefaultDisplay, ""},
        InstallRow{"PerMachineLongNameAndVersion", kLongName.c_str(), "10.1.20300", "perMachine", nullptr,
                   "10.1.20300", kLongName, kNoKey},
        InstallRow{"PerMachineAtTheThresholds", kName29.c_str(), "10.1.20300", "perMachine", nullptr,
                   "10.1.20300", kName29, kNoKey},
        InstallRow{"PerMachineJustShort", kName28.c_str(), "1.0.20300", "perMachine", nullptr, "0",
                   kDefaultDisplay, kNoKey},
        InstallRow{"PerMachineShortForms", "Orvo Recovery", "1.0.0.0", "perMachine", nullptr, "0",
                   kDefaultDisplay, kNoKey},
        InstallRow{"PerMachineShortVersionRegistryFallback", kLongName.c_str(), "1.0.0.0", "perMachine",
                   "10.1.20.300", "10.1.20.300", kLongName, ""},
        InstallRow{"PerUserIsNotFoundPerMachine", kLongName.c_str(), "10.1.20300", "perUser", nullptr, "0",
                   kDefaultDisplay, kUnknownProduct + kNoName + kUnknownProduct + kNoVersion + kNoKey}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecoveryScanWineTest, RegistryValueInThe32BitViewIsNotRead) {
  SetString(View::Bits32, kKey, kValue, "10.1.20.300");
  Run(Exe(), {"-o", "inv.xml"});
  EXPECT_EQ(Attribute("inv.xml", "Application", "version"), "0");
  EXPECT_EQ(Read("xlog.txt"), kLogStart + kNoKey + kDone);
}

TEST_F(RecoveryScanWineTest, WholeDocumentIsTheDeclarationThenOneLine) {
  Install(kLongName, "10.1.20300", "perMachine");
  const std::string before = NowStamp();
  Run(Exe(), {"/O", "inv.xml"});
  const std::string after = NowStamp();
  const std::string text = Read("inv.xml");
  const auto at = text.find("timeStamp=\"");
  ASSERT_NE(at, std::string::npos) << text;
  const std::string stamp = text.substr(at + 11, 19);
  EXPECT_LE(before, stamp);
  EXPECT_GE(after, stamp);
  EXPECT_EQ(text,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\r\n"
            "<SVMInventory lang=\"en\" timeStamp=\"" + stamp + "\" schemaVersion=\"1.0\">"
            "<Device display=\"Orvo Sentiva OS Recovery Application\" componentID=\"104763\">"
            "<Application componentType=\"APAC\" version=\"10.1.20300\" display=\"Orvo Sentiva OS "
            "Recovery Application\" packageVersion=\"10.1.20300\"></Application></Device></SVMInventory>");
}

struct WineCommandLine {
  const char* name;
  std::vector<std::string> arguments;
  int exitCode;
  bool usage;
  std::vector<std::pair<std::string, std::string>> logs;  // file and its exact bytes
  std::vector<std::string> documents;
  std::vector<std::string> absent;
};

void PrintTo(const WineCommandLine& row, std::ostream* out) { *out << row.name; }

class RecoveryScanWineCommandLineTest : public RecoveryScanWineTest,
                                        public ::testing::WithParamInterface<WineCommandLine> {};

TEST_P(RecoveryScanWineCommandLineTest, ScansTheArgumentsAsTheTableSays) {
  const WineCommandLine& row = GetParam();
  const auto run = Run(Exe(), row.arguments);
  EXPECT_EQ(run.exitCode, row.exitCode);
  EXPECT_EQ(run.stdoutBytes, row.usage ? kUsage : "");
  for (const auto& [file, bytes] : row.logs) EXPECT_EQ(Read(file), bytes) << file;
  for (const auto& file : row.documents) {
    EXPECT_EQ(Attribute(file, "Application", "version"), "0") << file;
  }
  for (const auto& file : row.absent) EXPECT_FALSE(testsupport::FileExists(Path(file))) << file;
}

const std::string kFullLog = kLogStart + kNoKey + kDone;
const std::string kFullNamedLog = kNamedLogStart + kNoKey + kDone;

INSTANTIATE_TEST_SUITE_P(
    Rows, RecoveryScanWineCommandLineTest,
    ::testing::Values(
        WineCommandLine{"NoArguments", {}, 1, true, {}, {}, {"xlog.txt"}},
        WineCommandLine{"HelpAfterALog", {"-l", "run.log", "-help"}, 1, true,
                        {{"run.log", kNamedLogStart + kFailed}}, {}, {"xlog.txt"}},
        WineCommandLine{"QuestionMark", {"?"}, 1, true, {}, {}, {"xlog.txt"}},
        WineCommandLine{"OptionsInAnyCase", {"-O", "inv.xml", "-L", "run.log"}, 0, false,
                        {{"run.log", kFullNamedLog}}, {"inv.xml"}, {"xlog.txt"}},
        WineCommandLine{"LogWithoutNameAtTheEnd", {"-o", "inv.xml", "-l"}, 0, true, {{"xlog.txt", kFullLog}},
                        {"inv.xml"}, {}},
        WineCommandLine{"TwoLogs", {"-l", "first.log", "-p", "second.log", "-o", "inv.xml"}, 0, false,
                        {{"first.log", kNamedLogStart}, {"second.log", kFullNamedLog}}, {"inv.xml"},
                        {"xlog.txt"}},
        WineCommandLine{"QuotedBlankInTheName", {"/o", "my inv.xml"}, 0, false, {{"xlog.txt", kFullLog}},
                        {"my inv.xml"}, {}},
        // No document stored: the failure line stands where the success line would.
        WineCommandLine{"NoOutputOption", {"-l", "run.log"}, 0, false,
                        {{"run.log", kNamedLogStart + kNoKey + kFailed}}, {}, {"xlog.txt"}},
        // The document may not be the open log's file, by whatever spelling.
        WineCommandLine{"OutputIsTheDefaultLog", {"-o", ".\\XLOG.txt"}, 1, true, {}, {}, {"xlog.txt"}},
        WineCommandLine{"OutputIsTheNamedLog", {"-l", "run.log", "-o", "RUN.LOG"}, 1, true,
                        {{"run.log", kNamedLogStart + kFailed}}, {}, {"xlog.txt"}},
        WineCommandLine{"OutputNameTooLong", {"-o", std::string(260, 'n')}, 1, true, {}, {}, {"xlog.txt"}},
        WineCommandLine{"OutputThatCannotBeOpened", {"-o", "no\\such\\inv.xml"}, 0, false,
                        {{"xlog.txt", kLogStart + kNoKey + kFailed}}, {}, {"no"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace recoveryscan_wine_test
}  // namespace winetest
