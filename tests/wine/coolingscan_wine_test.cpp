// coolingscan's real Windows code under Wine: the 64-bit registry view
// opened with full access, Wine's files, and the error box that returns at
// once without a display.
#include "tests/wine/wine_harness.h"

namespace winetest {
// Named, not anonymous: the test files of one program are built as one unit.
namespace coolingscan_wine_test {

const std::string kKey = "SOFTWARE\\ORVO\\ManageableUpdatePackage\\ThermalPpkg";
const std::string kEmptyForm =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SVMInventory lang=\"en\"></SVMInventory></xml>";

class CoolingScanWineTest : public WineTest {
 protected:
  void SetUp() override {
    WineTest::SetUp();
    DeleteKey(View::Bits32, kKey);
    DeleteKey(View::Bits64, kKey);
  }
  std::string Document(const std::string& name = "OutputFile.xml") const {
    return testsupport::Utf16LeToUtf8(Read(name));
  }
  // The version reported, or "<empty form>".
  std::string Reported(const std::string& name = "OutputFile.xml") const {
    const std::string text = Document(name);
    if (text == kEmptyForm) return "<empty form>";
    const auto at = text.find(" version=\"", text.find("<Application"));
    return at == std::string::npos ? "<none>" : text.substr(at + 10, text.find('"', at + 10) - at - 10);
  }
  std::string Exe() const { return Win64Path("inventory/coolingscan.exe"); }
};

struct WineRow {
  const char* name;
  View view;                // where the key is made
  const char* valueName;    // null: no key
  unsigned type;            // 1 REG_SZ; 3 REG_BINARY keeps bytes that lack a terminator as they are
  std::string valueHex;
  std::string reported;
};

void PrintTo(const WineRow& row, std::ostream* out) { *out << row.name; }

std::string Utf16Hex(const std::string& ascii, bool terminated = true) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : ascii) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
    hex += "00";
  }
  return terminated ? hex + "0000" : hex;
}

class CoolingScanWineRowTest : public CoolingScanWineTest, public ::testing::WithParamInterface<WineRow> {};

TEST_P(CoolingScanWineRowTest, ReportsWhatTheSixtyFourBitKeyHolds) {
  const WineRow& row = GetParam();
  if (row.valueName != nullptr) SetValue(row.view, kKey, row.valueName, row.type, row.valueHex);
  const auto run = Run(Exe(), {});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.stdoutBytes, "");
  EXPECT_EQ(Reported(), row.reported);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CoolingScanWineRowTest,
    ::testing::Values(
        WineRow{"NoKey", View::Bits64, nullptr, 1, "", "<empty form>"},
        WineRow{"KeyIn64BitView", View::Bits64, "Version", 1, Utf16Hex("1.0.0.5"), "1.0.0.5"},
        WineRow{"KeyOnlyIn32BitView", View::Bits32, "Version", 1, Utf16Hex("1.0.0.5"), "<empty form>"},
        WineRow{"KeyWithoutVersion", View::Bits64, "Other", 1, Utf16Hex("1.0.0.5"), "0.0.0.0"},
        WineRow{"EmptyVersion", View::Bits64, "Version", 1, Utf16Hex(""), "<empty form>"},
        WineRow{"VersionWithoutTerminator", View::Bits64, "Version", 3, Utf16Hex("1.2", false), "1.2"},
        WineRow{"VersionFillsTheBuffer", View::Bits64, "Version", 3, Utf16Hex(std::string(512, '7'), false),
                std::string(512, '7')},
        WineRow{"VersionLargerThanTheBuffer", View::Bits64, "Version", 1, Utf16Hex(std::string(512, '7')),
                "0.0.0.0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CoolingScanWineTest, WholeDocumentCarriesTheDriverPackageIdentity) {
  SetValue(View::Bits64, kKey, "Version", 1, Utf16Hex("1.0.0.5"));
  const std::string before = NowStamp();
  Run(Exe(), {"-o", "out.xml", "ignored"});
  const std::string after = NowStamp();
  const std::string text = Document("out.xml");
  const auto at = text.find("timeStamp=\"");
  ASSERT_NE(at, std::string::npos) << text;
  const std::string stamp = text.substr(at + 11, 19);
  EXPECT_LE(before, stamp);
  EXPECT_GE(after, stamp);
  EXPECT_EQ(Read("out.xml"),
            testsupport::Utf8ToUtf16Le(
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "\t<SVMInventory lang=\"en\" schemaVersion=\"1.0\" timeStamp=\"" + stamp + "\">\n"
                "\t\t<Device componentID=\"111201\" display=\"Orvo AC Thermal PPkg Driver\">\n"
                "\t\t\t<Application componentType=\"DRVR\" version=\"1.0.0.5\" display=\"Orvo AC "
                "Thermal PPkg Driver\" packageVersion=\"1.0.0.5\"/>\n"
                "\t\t</Device>\n"
                "\t</SVMInventory>\n"));
}

struct WineCommandLine {
  const char* name;
  std::vector<std::string> arguments;
  const char* output;
  bool help;
};

void PrintTo(const WineCommandLine& row, std::ostream* out) { *out << row.name; }

class CoolingScanWineCommandLineTest : public CoolingScanWineTest,
                                       public ::testing::WithParamInterface<WineCommandLine> {};

TEST_P(CoolingScanWineCommandLineTest, ChoosesTheOutputAsTheTableSays) {
  SetValue(View::Bits64, kKey, "Version", 1, Utf16Hex("1.0.0.5"));
  const auto run = Run(Exe(), GetParam().arguments);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(Reported(GetParam().output), "1.0.0.5");
  EXPECT_EQ(run.stdoutBytes,
            GetParam().help ? "Help: Pass either no arguments or pass -o <outputfile>.xml" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CoolingScanWineCommandLineTest,
    ::testing::Values(WineCommandLine{"None", {}, "OutputFile.xml", false},
                      WineCommandLine{"OneOption", {"-o"}, "OutputFile.xml", false},
                      WineCommandLine{"QuotedBlank", {"-o", "my out.XML"}, "my out.XML", false},
                      WineCommandLine{"ExtraIgnored", {"-o", "out.xml", "x", "y"}, "out.xml", false},
                      WineCommandLine{"NotXml", {"-o", "out.txt"}, "OutputFile.xml", true},
                      WineCommandLine{"UpperOption", {"-O", "out.xml"}, "OutputFile.xml", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CoolingScanWineTest, OutputThatCannotBeCreatedShowsTheBoxAndEndsAtOnce) {
  SetValue(View::Bits64, kKey, "Version", 1, Utf16Hex("1.0.0.5"));
  // A box that waited for a click would show as a time-out here.
  const auto run = RunWine(Exe(), {"-o", "no\\such\\folder\\out.xml"}, Path("."), 30);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.stdoutBytes, "");
  EXPECT_FALSE(testsupport::FileExists(Path("no")));
}

}  // namespace coolingscan_wine_test
}  // namespace winetest
