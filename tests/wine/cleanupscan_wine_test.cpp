// cleanupscan's real Windows code under Wine: Wine's registry with its
// WOW6432Node redirect, its files and its command-line splitting.
#include <filesystem>

#include "tests/wine/wine_harness.h"

namespace winetest {
// Named, not anonymous: the test files of one program are built as one unit.
namespace cleanupscan_wine_test {

const std::string kKey = "SOFTWARE\\ORVO\\ManageableUpdatePackage\\ZerbixRemovalTool";
const std::string kStored250 = "type=1 size=16 hex=32002e0035002e003000000000000000";
const std::string kStored000 = "type=1 size=16 hex=30002e0030002e003000000000000000";

class CleanupScanWineTest : public WineTest {
 protected:
  void SetUp() override {
    WineTest::SetUp();
    DeleteKey(View::Bits32, kKey);
    DeleteKey(View::Bits64, kKey);
  }
  // The utility driver's fallback name, a file in the current directory.
  void PlaceDriverFile() {
    std::filesystem::create_directories(Path("ROOT/ORVOUTILS"));
    testsupport::WriteFile(Path("ROOT/ORVOUTILS/0000"), "");
  }
  std::string Document(const std::string& name = "OutputFile.xml") const {
    return testsupport::Utf16LeToUtf8(Read(name));
  }
  std::string Reported(const std::string& name = "OutputFile.xml") const {
    const std::string text = Document(name);
    const auto at = text.find(" version=\"", text.find("<Application"));
    return at == std::string::npos ? "<none>" : text.substr(at + 10, text.find('"', at + 10) - at - 10);
  }
  std::string Exe() const { return Win64Path("inventory/cleanupscan.exe"); }
};

struct WineRow {
  const char* name;
  bool driver;
  const char* version;  // null: no key
  const char* reported;
  const char* storedAfter;  // regtool's answer for the 32-bit view afterwards
};

class CleanupScanWineRowTest : public CleanupScanWineTest, public ::testing::WithParamInterface<WineRow> {};

TEST_P(CleanupScanWineRowTest, DecidesInTheThirtyTwoBitView) {
  const WineRow& row = GetParam();
  if (row.version != nullptr) SetString(View::Bits32, kKey, "Version", row.version);
  if (row.driver) PlaceDriverFile();
  const auto run = Run(Exe(), {});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.stdoutBytes, "");
  EXPECT_EQ(Reported(), row.reported);
  EXPECT_EQ(GetValue(View::Bits32, kKey, "Version"), row.storedAfter);
  EXPECT_EQ(GetValue(View::Bits64, kKey, "Version"), "missing");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CleanupScanWineRowTest,
    ::testing::Values(
        WineRow{"FreshInstall", false, nullptr, "2.5.0", kStored250.c_str()},
        WineRow{"Removed", false, "2.5.0", "2.5.0", "type=1 size=12 hex=32002e0035002e0030000000"},
        WineRow{"OtherVersion", false, "2.4.1", "2.4.1", "type=1 size=12 hex=32002e0034002e0031000000"},
        WineRow{"DriverLeftBehind", true, "2.5.0", "0.0.0", kStored000.c_str()},
        WineRow{"DriverOtherVersion", true, "2.4.1", "2.4.1", "type=1 size=12 hex=32002e0034002e0031000000"},
        WineRow{"DriverNoVersion", true, nullptr, "0.0.0", "missing"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CleanupScanWineTest, KeyInTheSixtyFourBitViewIsNotSeen) {
  SetString(View::Bits64, kKey, "Version", "2.4.1");
  Run(Exe(), {});
  EXPECT_EQ(Reported(), "2.5.0");
  EXPECT_EQ(GetValue(View::Bits32, kKey, "Version"), kStored250);
  EXPECT_EQ(GetValue(View::Bits64, kKey, "Version"), "type=1 size=12 hex=32002e0034002e0031000000");
}

TEST_F(CleanupScanWineTest, WholeDocumentIsTheTemplateWithTheTimeOfTheRun) {
  SetString(View::Bits32, kKey, "Version", "1.2.3");
  const std::string before = NowStamp();
  Run(Exe(), {"-o", "result.XML"});
  const std::string after = NowStamp();
  const std::string text = Document("result.XML");
  const auto at = text.find("timeStamp=\"");
  ASSERT_NE(at, std::string::npos) << text;
  const std::string stamp = text.substr(at + 11, 19);
  EXPECT_LE(before, stamp);
  EXPECT_GE(after, stamp);
  std::string expected =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "\t<SVMInventory lang=\"en\" schemaVersion=\"1.0\" timeStamp=\"" + stamp + "\">\n"
      "\t\t<Device componentID=\"111084\" display=\"Orvo Zerbix Removal Utility\">\n"
      "\t\t\t<Application componentType=\"APAC\" version=\"1.2.3\" display=\"Orvo Zerbix Removal "
      "Utility\" packageVersion=\"1.2.3\"/>\n"
      "\t\t</Device>\n"
      "\t</SVMInventory>\n";
  EXPECT_EQ(Read("result.XML"), testsupport::Utf8ToUtf16Le(expected));
}

struct WineCommandLine {
  const char* name;
  std::vector<std::string> arguments;
  const char* output;
  bool help;
};

class CleanupScanWineCommandLineTest : public CleanupScanWineTest,
                                       public ::testing::WithParamInterface<WineCommandLine> {};

TEST_P(CleanupScanWineCommandLineTest, ChoosesTheOutputAsTheTableSays) {
  SetString(View::Bits32, kKey, "Version", "2.4.1");
  const auto run = Run(Exe(), GetParam().arguments);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(Reported(GetParam().output), "2.4.1");
  EXPECT_EQ(run.stdoutBytes, GetParam().help ? "Help: Pass arguments like : {-o <OutputFileName>.xml}" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CleanupScanWineCommandLineTest,
    ::testing::Values(WineCommandLine{"None", {}, "OutputFile.xml", false},
                      WineCommandLine{"One", {"-o"}, "OutputFile.xml", false},
                      WineCommandLine{"Xml", {"-o", "out.xml"}, "out.xml", false},
                      WineCommandLine{"QuotedBlank", {"-o", "my out.xml"}, "my out.xml", false},
                      WineCommandLine{"NotXml", {"-o", "result.txt"}, "OutputFile.xml", false},
                      WineCommandLine{"UpperOption", {"-O", "result.xml"}, "OutputFile.xml", false},
                      WineCommandLine{"Three", {"-o", "out.xml", "x"}, "OutputFile.xml", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CleanupScanWineTest, OutputThatCannotBeCreatedEndsQuietly) {
  SetString(View::Bits32, kKey, "Version", "2.4.1");
  const auto run = Run(Exe(), {"-o", "no\\such\\folder\\out.xml"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.stdoutBytes, "");
  EXPECT_FALSE(testsupport::FileExists(Path("no")));
}

}  // namespace cleanupscan_wine_test
}  // namespace winetest
