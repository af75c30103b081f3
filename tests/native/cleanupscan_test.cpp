#include "inventory/cleanupscan/cleanupscan.h"

#include <filesystem>
#include <optional>

#include "sim/core/text_codec.h"
#include "tests/native/sim_test.h"
#include "tests/support/table_rows.h"

// Named, not anonymous: the test files of one program are built as one unit.
namespace cleanupscan_test {

using testsupport::PrintTo;

const char16_t kKey32[] = u"SOFTWARE\\WOW6432Node\\ORVO\\ManageableUpdatePackage\\ZerbixRemovalTool";
const std::string kKey32Json =
    R"("HKLM\\SOFTWARE\\WOW6432Node\\ORVO\\ManageableUpdatePackage\\ZerbixRemovalTool")";

std::string Machine(const std::string& devices, const std::string& versionJson,
                    bool administrator = true) {
  std::string json = R"({"windows": 64, "administrator": )" +
                     std::string(administrator ? "true" : "false") + R"(, "devices": [)" + devices + "]";
  if (!versionJson.empty()) json += R"(, "registry": {)" + kKey32Json + ": " + versionJson + "}";
  return json + "}";
}

class CleanupScanTest : public SimTest {
 protected:
  int Run(const std::vector<std::u16string>& arguments = {}) { return inventory::cleanupscan::Run(arguments); }

  // The version attribute of the document, or "<empty form>".
  std::string Reported(const std::string& file = "OutputFile.xml") const {
    const std::string text = testsupport::Utf16LeToUtf8(Read(file));
    if (text.find("<SVMInventory lang=\"en\"></SVMInventory></xml>") != std::string::npos) {
      return "<empty form>";
    }
    const auto start = text.find(" version=\"", text.find("<Application"));
    if (start == std::string::npos) return "<no document>";
    return text.substr(start + 10, text.find('"', start + 10) - start - 10);
  }

  std::optional<std::vector<std::uint8_t>> Stored() const {
    const sim::RegValue* value =
        sim::CurrentMachine().registry.FindValue(sim::Hive::LocalMachine, kKey32, u"Version");
    if (value == nullptr) return std::nullopt;
    return value->data;
  }
};

std::vector<std::uint8_t> Sz16(const char* five) {
  std::vector<std::uint8_t> bytes(16, 0);
  for (int i = 0; i < 5; ++i) bytes[2 * i] = static_cast<std::uint8_t>(five[i]);
  return bytes;
}

struct DecisionRow {
  const char* name;
  const char* devices;
  const char* version;  // JSON of the key's values, or "" for no key
  const char* reported;
  const char* stored;  // "" when nothing is to be written
};

class CleanupDecisionTest : public CleanupScanTest, public ::testing::WithParamInterface<DecisionRow> {};

TEST_P(CleanupDecisionTest, ReportsAndRecordsAsTheDecisionTableSays) {
  const DecisionRow& row = GetParam();
  LoadMachine(Machine(row.devices, row.version));
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Reported(), row.reported);
  const auto writes = TraceOf("reg.set");
  if (*row.stored == 0) {
    EXPECT_TRUE(writes.empty()) << writes.front();
  } else {
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(Stored(), Sz16(row.stored));
    EXPECT_NE(writes[0].find("WOW6432Node"), std::string::npos);
    EXPECT_NE(writes[0].find("type=1 bytes=" + sim::ToHex(Sz16(row.stored))), std::string::npos);
  }
  EXPECT_EQ(Stdout(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CleanupDecisionTest,
    ::testing::Values(
        DecisionRow{"NoDriverVersionKept", "", R"({"Version": "2.4.1"})", "2.4.1", ""},
        DecisionRow{"NoDriverToolVersionKept", "", R"({"Version": "2.5.0"})", "2.5.0", ""},
        DecisionRow{"NoDriverNoValueRecordsTool", "", R"({})", "2.5.0", "2.5.0"},
        DecisionRow{"NoDriverNoKeyRecordsTool", "", "", "2.5.0", "2.5.0"},
        DecisionRow{"DriverAResetsToolVersion", R"("\\\\.\\Zerbix_2_3")", R"({"Version": "2.5.0"})",
                    "0.0.0", "0.0.0"},
        DecisionRow{"DriverBResetsToolVersion", R"("\\\\.\\Zerbix_2_5")", R"({"Version": "2.5.0"})",
                    "0.0.0", "0.0.0"},
        DecisionRow{"DriverOtherVersionKept", R"("\\\\.\\Zerbix_2_3")", R"({"Version": "2.4.1"})",
                    "2.4.1", ""},
        DecisionRow{"DriverLongerVersionIsNotTheTool", R"("\\\\.\\Zerbix_2_3")",
                    R"({"Version": "2.5.0.0"})", "2.5.0.0", ""},
        DecisionRow{"DriverShorterVersionIsNotTheTool", R"("\\\\.\\Zerbix_2_3")",
                    R"({"Version": "2.5"})", "2.5", ""},
        DecisionRow{"DriverNoVersion", R"("\\\\.\\Zerbix_2_3")", "", "0.0.0", ""},
        DecisionRow{"DriverEmptyVersion", R"("\\\\.\\Zerbix_2_5")", R"({"Version": ""})", "0.0.0", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CleanupScanTest, On32BitWindowsWritesTheEmptyFormAndTouchesNothing) {
  LoadMachine(R"({"windows": 32, "devices": ["\\\\.\\Zerbix_2_3"]})");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Reported(), "<empty form>");
  EXPECT_TRUE(TraceOf("reg.").empty());
  EXPECT_EQ(TraceOf("file.open").size(), 1u);  // the document only
}

TEST_F(CleanupScanTest, ProbesAskForTheRightsOfEachVariantThenTheFallbackName) {
  LoadMachine(Machine("", R"({"Version": "2.4.1"})"));
  Run();
  const auto opens = TraceOf("file.open");
  ASSERT_EQ(opens.size(), 5u);
  EXPECT_EQ(opens[0], "file.open \\\\.\\Zerbix_2_3 access=0x0 share=0x0 disposition=3 -> 2");
  EXPECT_EQ(opens[1], "file.open ROOT\\ORVOUTILS\\0000 access=0x0 share=0x0 disposition=3 -> 2");
  EXPECT_EQ(opens[2],
            "file.open \\\\.\\Zerbix_2_5 access=0xC0000000 share=0x0 disposition=3 -> 2");
  EXPECT_EQ(opens[3], "file.open ROOT\\ORVOUTILS\\0000 access=0x0 share=0x0 disposition=3 -> 2");
}

TEST_F(CleanupScanTest, FallbackNameIsAFileInTheCurrentDirectory) {
  LoadMachine(Machine("", R"({"Version": "2.5.0"})"));
  std::filesystem::create_directories(Path("ROOT/ORVOUTILS"));
  testsupport::WriteFile(Path("ROOT/ORVOUTILS/0000"), "");
  Run();
  EXPECT_EQ(Reported(), "0.0.0");
}

TEST_F(CleanupScanTest, ReadWriteRefusalOfVariantBStillFallsBack) {
  LoadMachine(Machine(R"({"name": "\\\\.\\Zerbix_2_5", "readWrite": false})", R"({"Version": "2.5.0"})"));
  EXPECT_FALSE(inventory::cleanupscan::ProbeRemovalDriver(inventory::cleanupscan::ProbeVariant::B));
  Run();
  EXPECT_EQ(Reported(), "2.5.0");
}

TEST_F(CleanupScanTest, WithoutAdministratorRightsNothingIsRecorded) {
  LoadMachine(Machine("", "", false));
  Run();
  EXPECT_EQ(Reported(), "0.0.0");
  EXPECT_FALSE(Stored().has_value());
  EXPECT_FALSE(sim::HasChanges());
}

TEST_F(CleanupScanTest, FailedResetKeepsReportingTheToolVersion) {
  LoadMachine(Machine(R"("\\\\.\\Zerbix_2_3")", R"({"Version": "2.5.0"})", false));
  Run();
  EXPECT_EQ(Reported(), "2.5.0");
  EXPECT_EQ(Stored(), std::vector<std::uint8_t>({'2', 0, '.', 0, '5', 0, '.', 0, '0', 0, 0, 0}));
}

struct OddValue {
  const char* name;
  std::string json;
  std::string expected;
};

class CleanupOddValueTest : public CleanupScanTest, public ::testing::WithParamInterface<OddValue> {};

TEST_P(CleanupOddValueTest, ReadsAnyTypeAndSizeWithoutOverrun) {
  LoadMachine(Machine(R"("\\\\.\\Zerbix_2_3")", std::string(R"({"Version": )") + GetParam().json + "}"));
  Run();
  EXPECT_EQ(Reported(), GetParam().expected.empty() ? "0.0.0" : GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, CleanupOddValueTest,
    ::testing::Values(
        // U+0007 has no place in XML: the document carries U+FFFD instead.
        OddValue{"Dword", "7", "\xEF\xBF\xBD"},
        OddValue{"BinaryText", R"({"type": "REG_BINARY", "hex": "3100320000003300"})", "12"},
        OddValue{"OddLength", R"({"type": "REG_SZ", "hex": "310032003300"  })", "123"},
        OddValue{"OddLengthTrailingByte", R"({"type": "REG_SZ", "hex": "3100320033"})", "12"},
        OddValue{"NoTerminator", R"({"type": "REG_SZ", "hex": "39002e00"})", "9."},
        OddValue{"Empty", R"({"type": "REG_SZ", "hex": ""})", ""},
        OddValue{"FillsBufferExactly", R"({"type": "REG_SZ", "hex": ")" +
                                           [] {
                                             std::string h;
                                             for (int i = 0; i < 512; ++i) h += "3700";
                                             return h;
                                           }() + "\"}",
                 std::string(512, '7')},
        OddValue{"TooLarge", R"({"type": "REG_SZ", "hex": ")" +
                                 [] {
                                   std::string h;
                                   for (int i = 0; i < 513; ++i) h += "3700";
                                   return h;
                                 }() + "\"}",
                 ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct CommandLineRow {
  const char* name;
  std::vector<std::u16string> arguments;
  const char* output;
  bool help;
};

class CleanupCommandLineTest : public CleanupScanTest,
                               public ::testing::WithParamInterface<CommandLineRow> {};

TEST_P(CleanupCommandLineTest, ChoosesTheOutputAndPrintsHelpAsTheTableSays) {
  LoadMachine(Machine("", R"({"Version": "2.4.1"})"));
  EXPECT_EQ(Run(GetParam().arguments), 0);
  EXPECT_EQ(Reported(GetParam().output), "2.4.1");
  EXPECT_EQ(Stdout(), GetParam().help ? "Help: Pass arguments like : {-o <OutputFileName>.xml}" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CleanupCommandLineTest,
    ::testing::Values(
        CommandLineRow{"None", {}, "OutputFile.xml", false},
        CommandLineRow{"One", {u"-o"}, "OutputFile.xml", false},
        CommandLineRow{"LowerXml", {u"-o", u"result.xml"}, "result.xml", false},
        CommandLineRow{"UpperXml", {u"-o", u"result.XML"}, "result.XML", false},
        CommandLineRow{"XmlInside", {u"-o", u"a.xml.bak"}, "a.xml.bak", false},
        CommandLineRow{"MixedCaseXml", {u"-o", u"result.Xml"}, "OutputFile.xml", false},
        CommandLineRow{"NotXml", {u"-o", u"result.txt"}, "OutputFile.xml", false},
        CommandLineRow{"UpperOption", {u"-O", u"result.xml"}, "OutputFile.xml", false},
        CommandLineRow{"SlashOption", {u"/o", u"result.xml"}, "OutputFile.xml", false},
        CommandLineRow{"Three", {u"-o", u"result.xml", u"x"}, "OutputFile.xml", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CleanupScanTest, LongAndUnusualArgumentsAreHandled) {
  LoadMachine(Machine("", R"({"Version": "2.4.1"})"));
  const std::u16string longName = std::u16string(5000, u'n') + u".xml";
  Run({u"-o", longName});  // too long for the file system: nothing written, no crash
  EXPECT_FALSE(testsupport::FileExists(Path("OutputFile.xml")));
  Run({u"-o", u"caf\u00e9 \u4e16.xml"});
  EXPECT_EQ(Reported("caf\xc3\xa9 \xe4\xb8\x96.xml"), "2.4.1");
}

TEST_F(CleanupScanTest, OutputThatCannotBeCreatedWritesAndPrintsNothing) {
  LoadMachine(Machine("", R"({"Version": "2.4.1"})"));
  EXPECT_EQ(Run({u"-o", u"no\\such\\dir.xml"}), 0);
  EXPECT_EQ(Stdout(), "");
  EXPECT_FALSE(testsupport::FileExists(Path("no")));
}

}  // namespace cleanupscan_test
