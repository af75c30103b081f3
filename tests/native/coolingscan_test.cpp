#include "inventory/coolingscan/coolingscan.h"

#include <string>

#include "tests/native/sim_test.h"
#include "tests/support/table_rows.h"

// Named, not anonymous: the test files of one program are built as one unit.
namespace coolingscan_test {

using testsupport::PrintTo;

const std::string kKey64 = R"("HKLM\\SOFTWARE\\ORVO\\ManageableUpdatePackage\\ThermalPpkg")";
const std::string kKey32 = R"("HKLM\\SOFTWARE\\WOW6432Node\\ORVO\\ManageableUpdatePackage\\ThermalPpkg")";

// A 64-bit machine whose package key holds the given values (JSON), or has
// no key when keyValues is empty.
std::string Machine(const std::string& keyValues, const std::string& extra = "",
                    const std::string& key = kKey64) {
  std::string json = R"({"windows": 64)" + extra;
  if (!keyValues.empty()) json += R"(, "registry": {)" + key + ": " + keyValues + "}";
  return json + "}";
}

std::string Utf16Hex(char ch, int count) {
  std::string hex;
  char unit[5];
  std::snprintf(unit, sizeof unit, "%02x00", static_cast<unsigned char>(ch));
  for (int i = 0; i < count; ++i) hex += unit;
  return hex;
}

class CoolingScanTest : public SimTest {
 protected:
  int Run(const std::vector<std::u16string>& arguments = {}) { return inventory::coolingscan::Run(arguments); }

  // The version attribute of the document, "<empty form>" or "<no document>".
  std::string Reported(const std::string& file = "OutputFile.xml") const {
    if (!testsupport::FileExists(Path(file))) return "<no document>";
    const std::string text = testsupport::Utf16LeToUtf8(Read(file));
    if (text == "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SVMInventory lang=\"en\"></SVMInventory></xml>") {
      return "<empty form>";
    }
    const auto start = text.find(" version=\"", text.find("<Application"));
    if (start == std::string::npos) return "<no version>";
    return text.substr(start + 10, text.find('"', start + 10) - start - 10);
  }
};

struct OutcomeRow {
  const char* name;
  std::string machine;
  std::string reported;
};
void PrintTo(const OutcomeRow& row, std::ostream* out) { *out << row.name; }

class CoolingOutcomeTest : public CoolingScanTest, public ::testing::WithParamInterface<OutcomeRow> {};

TEST_P(CoolingOutcomeTest, ReportsWhatTheKeyHolds) {
  LoadMachine(GetParam().machine);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Reported(), GetParam().reported);
  EXPECT_EQ(Stdout(), "");
  EXPECT_TRUE(sim::CurrentRun().messageBoxes.empty());
  // The module only reads: nothing is created, set or saved.
  EXPECT_TRUE(TraceOf("reg.set").empty());
  EXPECT_TRUE(TraceOf("reg.create").empty());
  EXPECT_FALSE(sim::HasChanges());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CoolingOutcomeTest,
    ::testing::Values(
        OutcomeRow{"KeyMissing", Machine(""), "<empty form>"},
        OutcomeRow{"KeyOnlyInThe32BitView", Machine(R"({"Version": "1.0.0.5"})", "", kKey32),
                   "<empty form>"},
        OutcomeRow{"NoRightsForFullAccess",
                   Machine(R"({"Version": "1.0.0.5"})", R"(, "administrator": false)"), "<empty form>"},
        OutcomeRow{"VersionAbsent", Machine("{}"), "0.0.0.0"},
        OutcomeRow{"VersionOtherNameOnly", Machine(R"({"version2": "9"})"), "0.0.0.0"},
        OutcomeRow{"VersionLargerThanTheBuffer",
                   Machine(R"({"Version": {"type": "REG_SZ", "hex": ")" + Utf16Hex('7', 513) + "\"}}"),
                   "0.0.0.0"},
        OutcomeRow{"VersionFillsTheBuffer",
                   Machine(R"({"Version": {"type": "REG_SZ", "hex": ")" + Utf16Hex('7', 512) + "\"}}"),
                   std::string(512, '7')},
        OutcomeRow{"VersionEmpty", Machine(R"({"Version": ""})"), "<empty form>"},
        OutcomeRow{"VersionNoDataAtAll", Machine(R"({"Version": {"type": "REG_SZ", "hex": ""}})"),
                   "<empty form>"},
        OutcomeRow{"VersionPresent", Machine(R"({"Version": "1.0.0.5"})"), "1.0.0.5"},
        OutcomeRow{"VersionDword", Machine(R"({"Version": 7})"), "\xEF\xBF\xBD"},  // U+0007 has no place in XML
        OutcomeRow{"VersionWithoutTerminator",
                   Machine(R"({"Version": {"type": "REG_BINARY", "hex": "31002e003200"}})"), "1.2"},
        OutcomeRow{"VersionOddLength", Machine(R"({"Version": {"type": "REG_SZ", "hex": "3100320033"}})"),
                   "12"},
        OutcomeRow{"Windows32", R"({"windows": 32, "registry": {)" + kKey64 + R"(: {"Version": "1"}}})",
                   "<empty form>"},
        OutcomeRow{"IsWow64ProcessMissing",
                   Machine(R"({"Version": "1.0.0.5"})", R"(, "isWow64Process": "missing")"),
                   "<empty form>"},
        OutcomeRow{"IsWow64ProcessFails",
                   Machine(R"({"Version": "1.0.0.5"})", R"(, "isWow64Process": "fails")"),
                   "<empty form>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CoolingScanTest, OpensThePackageKeyWithFullAccessInThe64BitView) {
  LoadMachine(Machine(R"({"Version": "1.0.0.5"})"));
  Run();
  const auto opens = TraceOf("reg.open");
  ASSERT_EQ(opens.size(), 1u);
  EXPECT_EQ(opens[0],
            "reg.open HKLM\\SOFTWARE\\ORVO\\ManageableUpdatePackage\\ThermalPpkg view=64 "
            "access=0xF013F -> 0");
}

TEST_F(CoolingScanTest, On32BitWindowsTheRegistryIsNotTouched) {
  LoadMachine(R"({"windows": 32})");
  Run();
  EXPECT_TRUE(TraceOf("reg.").empty());
}

TEST_F(CoolingScanTest, FullFormCarriesTheDriverPackageIdentity) {
  LoadMachine(Machine(R"({"Version": "1.0.0.5"})", R"(, "localTime": "2021-11-28T16:26:58")"));
  Run();
  EXPECT_EQ(Read("OutputFile.xml"),
            testsupport::Utf8ToUtf16Le(
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "\t<SVMInventory lang=\"en\" schemaVersion=\"1.0\" timeStamp=\"2021-11-28T16:26:58\">\n"
                "\t\t<Device componentID=\"111201\" display=\"Orvo AC Thermal PPkg Driver\">\n"
                "\t\t\t<Application componentType=\"DRVR\" version=\"1.0.0.5\" display=\"Orvo AC "
                "Thermal PPkg Driver\" packageVersion=\"1.0.0.5\"/>\n"
                "\t\t</Device>\n"
                "\t</SVMInventory>\n"));
}

struct CommandLineRow {
  const char* name;
  std::vector<std::u16string> arguments;
  const char* output;
  bool help;
};
void PrintTo(const CommandLineRow& row, std::ostream* out) { *out << row.name; }

class CoolingCommandLineTest : public CoolingScanTest,
                               public ::testing::WithParamInterface<CommandLineRow> {};

TEST_P(CoolingCommandLineTest, ChoosesTheOutputAndPrintsHelpAsTheTableSays) {
  LoadMachine(Machine(R"({"Version": "1.0.0.5"})"));
  EXPECT_EQ(Run(GetParam().arguments), 0);
  EXPECT_EQ(Reported(GetParam().output), "1.0.0.5");
  EXPECT_EQ(Stdout(), GetParam().help ? "Help: Pass either no arguments or pass -o <outputfile>.xml" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CoolingCommandLineTest,
    ::testing::Values(
        CommandLineRow{"None", {}, "OutputFile.xml", false},
        CommandLineRow{"OneOption", {u"-o"}, "OutputFile.xml", false},
        CommandLineRow{"OneName", {u"out.xml"}, "OutputFile.xml", false},
        CommandLineRow{"LowerXml", {u"-o", u"out.xml"}, "out.xml", false},
        CommandLineRow{"UpperXml", {u"-o", u"out.XML"}, "out.XML", false},
        CommandLineRow{"XmlInside", {u"-o", u"a.xml.bak"}, "a.xml.bak", false},
        CommandLineRow{"ExtraArgumentsIgnored", {u"-o", u"out.xml", u"extra", u"-x"}, "out.xml", false},
        CommandLineRow{"NotXml", {u"-o", u"out.txt"}, "OutputFile.xml", true},
        CommandLineRow{"MixedCaseXml", {u"-o", u"out.Xml"}, "OutputFile.xml", true},
        CommandLineRow{"UpperOption", {u"-O", u"out.xml"}, "OutputFile.xml", true},
        CommandLineRow{"SlashOption", {u"/o", u"out.xml"}, "OutputFile.xml", true},
        CommandLineRow{"SwappedPair", {u"out.xml", u"-o"}, "OutputFile.xml", true},
        CommandLineRow{"InvalidPairWithExtra", {u"-o", u"out.txt", u"out.xml"}, "OutputFile.xml", true}),
    [](const auto& info) { return std::string(info.param.name); });

struct UncreatableRow {
  const char* name;
  std::string machine;
};
void PrintTo(const UncreatableRow& row, std::ostream* out) { *out << row.name; }

class CoolingUncreatableTest : public CoolingScanTest,
                               public ::testing::WithParamInterface<UncreatableRow> {};

TEST_P(CoolingUncreatableTest, ShowsTheErrorBoxOnceAndWritesNothing) {
  LoadMachine(GetParam().machine);
  EXPECT_EQ(Run({u"-o", u"missing\\folder\\out.xml"}), 0);
  ASSERT_EQ(sim::CurrentRun().messageBoxes.size(), 1u);
  const sim::MessageBoxRecord& box = sim::CurrentRun().messageBoxes[0];
  EXPECT_EQ(box.text, u"Error");
  EXPECT_EQ(box.caption, u"Error");
  EXPECT_EQ(box.type, 0u);  // OK button only
  EXPECT_EQ(TraceOf("user32.MessageBoxW"),
            std::vector<std::string>{"user32.MessageBoxW \"Error\" caption=\"Error\" owner=0x0 type=0x0 -> 1"});
  EXPECT_FALSE(testsupport::FileExists(Path("missing")));
  EXPECT_FALSE(testsupport::FileExists(Path("OutputFile.xml")));
  EXPECT_EQ(Stdout(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Forms, CoolingUncreatableTest,
    ::testing::Values(UncreatableRow{"FullForm", Machine(R"({"Version": "1.0.0.5"})")},
                      UncreatableRow{"EmptyForm", Machine("")},
                      UncreatableRow{"Windows32", R"({"windows": 32})"}),
    [](const auto& info) { return std::string(info.param.name); });

// A document that could not be stored in full counts as one that could not
// be created: the box, and the old document left as it was.
TEST_F(CoolingScanTest, FullVolumeShowsTheErrorBoxAndKeepsTheOldDocument) {
  LoadMachine(Machine(R"({"Version": "1.0.0.5"})", R"(, "volume": {"freeBytes": 40})"));
  testsupport::WriteFile(Path("OutputFile.xml"), "old");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(sim::CurrentRun().messageBoxes.size(), 1u);
  EXPECT_EQ(Read("OutputFile.xml"), "old");
  EXPECT_FALSE(testsupport::FileExists(Path("OutputFile.xm~")));
}

TEST_F(CoolingScanTest, LongAndUnusualOutputNamesAreHandled) {
  LoadMachine(Machine(R"({"Version": "1.0.0.5"})"));
  Run({u"-o", std::u16string(5000, u'n') + u".xml"});  // too long for the file system
  EXPECT_EQ(sim::CurrentRun().messageBoxes.size(), 1u);
  Run({u"-o", u"caf\u00e9 \u4e16.xml"});
  EXPECT_EQ(Reported("caf\xc3\xa9 \xe4\xb8\x96.xml"), "1.0.0.5");
}

}  // namespace coolingscan_test
