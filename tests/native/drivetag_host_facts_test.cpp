// The host facts gathered through WMI: the query sequence, how each value
// becomes its element's fact, and what failures and long values leave.
#include "drivetag/facts_table.h"
#include "drivetag/host_facts.h"
#include "drivetag/stamper.h"
#include "sim/core/text_codec.h"
#include "sim/seam/services.h"
#include "tests/native/drivetag_machine.h"
#include "tests/support/table_rows.h"

namespace {

using testsupport::PrintTo;

using namespace drivetag_test;

std::string Classes(const std::map<std::string, std::string>& replaced) {
  std::map<std::string, std::string> classes = {
      {"Win32_SystemDriver",
       R"([{"Name": "iaStorVD", "DisplayName": "Intel RST VMD Controller", "PathName": "C:\\iaStorVD.sys"}])"},
      {"Win32_PnPSignedDriver", R"([{"DeviceName": "Intel RST VMD Controller 467F", "DriverVersion": "19.5"}])"},
      {"Win32_OperatingSystem", R"([{"Caption": "Microsoft Windows 11 Pro", "Version": "10.0.22631"}])"},
      {"Win32_ComputerSystem", R"([{"Model": "Ultrabook 14"}])"},
      {"Win32_Processor", R"([{"Name": "Core i7"}])"},
      {"Win32_BIOS", R"([{"SMBIOSBIOSVersion": "1.14.0"}])"},
      {"Win32_VideoController", R"([{"Name": "Iris Xe", "DriverVersion": "31.0"}])"}};
  for (const auto& [name, rows] : replaced) {
    if (rows.empty()) classes.erase(name);
    else classes[name] = rows;
  }
  std::string json = "{";
  for (const auto& [name, rows] : classes) json += (json.size() > 1 ? ", \"" : "\"") + name + "\": " + rows;
  return json + "}";
}

std::string Wmi(const std::map<std::string, std::string>& replaced, const std::string& faults = "[]") {
  return R"({"classes": )" + Classes(replaced) + R"(, "faults": )" + faults + "}";
}

const std::map<int, std::string> kFacts = {
    {1, "Intel RST VMD Controller 467F"}, {2, "iaStorVD"}, {3, "19.5"}, {7, "Core i7"},
    {10, "Build 10.0.22631 11 Pro"}, {11, "ORVO Ultrabook 14"}, {12, "BIOS 1.14.0"},
    {13, "C:\\iaStorVD.sys"}, {14, "Iris Xe"}, {15, "31.0"}};

class HostFactsTest : public DrivetagTest {
 protected:
  // The facts as UTF-8, by element type.
  std::map<int, std::string> Collect() {
    std::vector<char16_t> table(drivetag::kFactsTableChars, u'\0');
    EXPECT_EQ(drivetag::CollectHostFacts(table.data()), 1);
    EXPECT_EQ(sim::ComInitializations(), 0);
    EXPECT_EQ(sim::LiveComObjects(), 0);
    std::map<int, std::string> facts;
    for (const auto& field : drivetag::kElementFields) {
      facts[field.type] = sim::Utf16ToUtf8(drivetag::FactOf(table.data(), field.type));
    }
    return facts;
  }
};

TEST_F(HostFactsTest, LaptopFacts) {
  Load(MachineJson({}, kLaptopWmi));
  EXPECT_EQ(Collect(), kLaptopFacts);
  EXPECT_EQ(Stdout(), TextMode("strorage driver name is :iaStorVD\nstrorage driver name post assignemnt :iaStorVD\n"));
  const char* queries[] = {
      "wmi.ExecQuery \" select Name,PathName,displayname from  Win32_systemdriver WHERE displayname LIKE '%RST%' \" flags=0x30",
      "wmi.ExecQuery \" select devicename,driverversion from  Win32_PnPsigneddriver WHERE devicename LIKE '%RST%' AND NOT devicename LIKE '%09AB%' \" flags=0x30",
      "wmi.ExecQuery \"SELECT  caption,version FROM Win32_OperatingSystem\" flags=0x30",
      "wmi.ExecQuery \"SELECT  Model FROM win32_computersystem\" flags=0x30",
      "wmi.ExecQuery \"SELECT  Name FROM  win32_processor\" flags=0x30",
      "wmi.ExecQuery \"SELECT  SMBIOSBIOSVersion FROM win32_bios\" flags=0x30",
      "wmi.ExecQuery \" select Name, driverversion from  Win32_VideoController  \" flags=0x30"};
  const auto sent = TraceOf("wmi.ExecQuery");
  ASSERT_EQ(sent.size(), 7u);
  for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(sent[i].rfind(queries[i], 0), 0u) << sent[i];
  // COM is set up and torn down around each query.
  EXPECT_EQ(TraceOf("com.CoInitializeEx MTA -> 0x0").size(), 7u);
  EXPECT_EQ(TraceOf("com.CoInitializeSecurity -> 0x0").size(), 7u);
  EXPECT_EQ(TraceOf("com.CoUninitialize live=0").size(), 7u);
  EXPECT_EQ(TraceOf("wmi.ConnectServer ROOT\\CIMV2 -> 0x0").size(), 7u);
}

struct FactsCase {
  const char* name;
  std::string wmi;
  std::map<int, std::string> changed;  // facts that differ from kFacts
};

class FactsTableTest : public HostFactsTest, public ::testing::WithParamInterface<FactsCase> {};

TEST_P(FactsTableTest, FillsEachElementFromItsSource) {
  Load(MachineJson({}, GetParam().wmi));
  std::map<int, std::string> expected = kFacts;
  for (const auto& [type, value] : GetParam().changed) expected[type] = value;
  EXPECT_EQ(Collect(), expected);
}

const std::string kLong(300, 'L');

INSTANTIATE_TEST_SUITE_P(
    Sources, FactsTableTest,
    ::testing::Values(
        FactsCase{"TwoDisplayAdaptersLastWins",
                  Wmi({{"Win32_VideoController",
                        R"([{"Name": "Iris Xe", "DriverVersion": "31.0"}, {"Name": "GeForce", "DriverVersion": "546.1"}])"}}),
                  {{14, "GeForce"}, {15, "546.1"}}},
        FactsCase{"DriverWithoutSignedDevice", Wmi({{"Win32_PnPSignedDriver", "[]"}}),
                  {{1, "Intel RST VMD Controller"}, {3, ""}}},
        FactsCase{"Only09ABDevice",
                  Wmi({{"Win32_PnPSignedDriver", R"([{"DeviceName": "RST 09ab", "DriverVersion": "9"}])"}}),
                  {{1, "Intel RST VMD Controller"}, {3, ""}}},
        FactsCase{"SystemDriverQueryFails", Wmi({}, R"([{"step": "ExecQuery", "class": "Win32_SystemDriver"}])"),
                  {{1, ""}, {2, ""}, {3, ""}, {13, ""}}},
        FactsCase{"NoRstSystemDriver", Wmi({{"Win32_SystemDriver", R"([{"Name": "disk", "DisplayName": "Disk", "PathName": "x"}])"}}),
                  {{2, ""}, {13, ""}}},
        FactsCase{"DeviceQueryFails", Wmi({}, R"([{"step": "ExecQuery", "class": "Win32_PnPSignedDriver"}])"),
                  {{1, "Intel RST VMD Controller"}, {3, ""}}},
        FactsCase{"ShortCaptionGivesNoTail",
                  Wmi({{"Win32_OperatingSystem", R"([{"Caption": "Microsoft Windows", "Version": "6.1"}])"}}),
                  {{10, "Build 6.1"}}},
        FactsCase{"CaptionTailKeepsItsBlank",
                  Wmi({{"Win32_OperatingSystem", R"([{"Caption": "Microsoft Windows Server 2022", "Version": "10.0.20348"}])"}}),
                  {{10, "Build 10.0.20348 Server 2022"}}},
        FactsCase{"NullValuesAreEmpty",
                  Wmi({{"Win32_ComputerSystem", R"([{"Model": null}])"},
                       {"Win32_OperatingSystem", R"([{"Caption": null, "Version": "10.0"}])"},
                       {"Win32_VideoController", R"([{"Name": null, "DriverVersion": "31.0"}])"}}),
                  {{11, "ORVO "}, {10, "Build 10.0"}, {14, ""}}},
        FactsCase{"QueriesWithoutRowsGiveNoPrefix",
                  Wmi({{"Win32_ComputerSystem", "[]"}, {"Win32_BIOS", ""}, {"Win32_Processor", "[]"}}),
                  {{11, ""}, {12, ""}, {7, ""}}},
        // Four facts are cut to the low byte of each unit, then read in the
        // ANSI code page; the driver and display facts stay UTF-16.
        FactsCase{"NarrowedToLowBytes",
                  Wmi({{"Win32_ComputerSystem", R"([{"Model": "Zenbook Ω"}])"},
                       {"Win32_Processor", R"([{"Name": "Ryzen™ 7"}])"},
                       {"Win32_BIOS", R"([{"SMBIOSBIOSVersion": "1.0Āx"}])"},
                       {"Win32_VideoController", R"([{"Name": "Grafik Ω", "DriverVersion": "Größe"}])"}}),
                  {{11, "ORVO Zenbook ©"}, {7, "Ryzen\" 7"}, {12, "BIOS 1.0"}, {14, "Grafik Ω"}, {15, "Größe"}}},
        // Long facts are cut where they enter: to the field, and to the 121
        // bytes that the element value area holds with its zero.
        FactsCase{"LongFactsCut",
                  Wmi({{"Win32_VideoController", R"([{"Name": ")" + kLong + R"(", "DriverVersion": ")" + kLong + R"("}])"},
                       {"Win32_ComputerSystem", R"([{"Model": ")" + kLong + R"("}])"},
                       {"Win32_SystemDriver", R"([{"Name": ")" + kLong + R"(", "DisplayName": "RST", "PathName": ")" + kLong + R"("}])"}}),
                  {{14, kLong.substr(0, 121)}, {15, kLong.substr(0, 29)}, {11, "ORVO " + kLong.substr(0, 116)},
                   {2, kLong.substr(0, 121)}, {13, kLong.substr(0, 121)}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostFactsTest, DeviceQueryRunsOnlyAfterTheDriverQuerySucceeded) {
  Load(MachineJson({}, Wmi({}, R"([{"step": "ExecQuery", "class": "win32_systemdriver"}])")));
  Collect();
  EXPECT_TRUE(TraceOf("wmi.ExecQuery \" select devicename").empty());
  EXPECT_EQ(TraceOf("wmi.ExecQuery").size(), 6u);
}

class QueryStepFailureTest : public HostFactsTest, public ::testing::WithParamInterface<const char*> {};

// Whatever step fails, every query gives nothing and leaves COM as it found it.
TEST_P(QueryStepFailureTest, EveryFactIsEmpty) {
  Load(MachineJson({}, Wmi({}, std::string(R"([{"step": ")") + GetParam() + R"("}])")));
  std::map<int, std::string> empty;
  for (const auto& [type, value] : kFacts) empty[type] = "";
  EXPECT_EQ(Collect(), empty);
  EXPECT_EQ(Stdout(), "");
  EXPECT_TRUE(TraceOf("wmi.ExecQuery \" select devicename").empty());
}

INSTANTIATE_TEST_SUITE_P(Steps, QueryStepFailureTest,
                         ::testing::Values("CoInitializeEx", "CoInitializeSecurity", "CoCreateInstance",
                                           "ConnectServer", "CoSetProxyBlanket", "ExecQuery"));

TEST_F(HostFactsTest, UnknownClassFailsItsQueryOnly) {
  Load(MachineJson({}, Wmi({{"Win32_BIOS", ""}})));
  EXPECT_EQ(Collect().at(12), "");
  EXPECT_EQ(TraceOf("wmi.ExecQuery \"SELECT  SMBIOSBIOSVersion")[0].substr(
                TraceOf("wmi.ExecQuery \"SELECT  SMBIOSBIOSVersion")[0].size() - 10),
            "0x80041010");
}

TEST_F(DrivetagTest, FactsAreGatheredAnewForEverySupportedDrive) {
  DiskSpec unsupported;
  unsupported.byte3108 = 0;
  Load(MachineJson({DiskSpec{}, unsupported, DiskSpec{}}));
  drivetag::RunProgram();
  EXPECT_EQ(TraceOf("wmi.ExecQuery").size(), 14u);
}

// Facts that are cut, or narrowed to other characters, are written in the
// form the drive keeps, so a second run finds every element in place.
TEST_F(DrivetagTest, SecondRunWritesNothingForLongAndNonAsciiFacts) {
  const std::string wmi = Wmi({{"Win32_VideoController", R"([{"Name": ")" + kLong + R"(", "DriverVersion": "Größe )" + kLong + R"("}])"},
                               {"Win32_ComputerSystem", R"([{"Model": "Zenbook Ω )" + kLong + R"("}])"},
                               {"Win32_Processor", R"([{"Name": "Ryzen™ 7"}])"}});
  Load(MachineJson({DiskSpec{}}, wmi));
  drivetag::RunProgram();
  EXPECT_EQ(WrittenTypes().size(), 10u);
  EXPECT_EQ(Stored().at(11), Bytes(sim::Utf8ToAnsi("ORVO Zenbook © " + kLong.substr(0, 106))));
  EXPECT_EQ(Stored().at(15), Bytes(sim::Utf8ToAnsi("Größe " + kLong.substr(0, 23))));
  std::filesystem::remove(Path("trace.txt"));
  drivetag::RunProgram();
  EXPECT_TRUE(Exchanges("0x9").empty());
}

}  // namespace

namespace {

// Values enter the scratch fields and the facts table cut to fit, with their
// terminator, and never beyond their field.
TEST(FactFieldsTest, ScratchFieldsHoldAtMost199Characters) {
  std::vector<char16_t> scratch(drivetag::kDriverScratchChars + 1, u'#');
  scratch.back() = u'!';
  drivetag::StoreScratch(scratch.data(), 3, std::u16string(300, u'v'));
  EXPECT_EQ(drivetag::ScratchField(scratch.data(), 3), std::u16string(199, u'v'));
  EXPECT_EQ(scratch[800], u'!');
  drivetag::StoreScratch(scratch.data(), 0, std::u16string(u"ab\0cd", 5));
  EXPECT_EQ(drivetag::ScratchField(scratch.data(), 0), u"ab");
}

struct CutCase {
  int type;
  std::u16string fact;
  std::u16string stored;
};

class FactCutTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(FactCutTest, StoresWhatFitsTheFieldAndTheValueArea) {
  std::vector<char16_t> table(drivetag::kFactsTableChars, u'#');
  drivetag::StoreFact(table.data(), GetParam().type, GetParam().fact);
  EXPECT_EQ(drivetag::FactOf(table.data(), GetParam().type), GetParam().stored);
  const auto* field = drivetag::FindElementField(GetParam().type);
  ASSERT_NE(field, nullptr);
  // The neighbours keep what they had.
  if (field->start > 0) {
    EXPECT_EQ(table[field->start - 1], u'#');
  }
  if (field->start + field->size < table.size()) {
    EXPECT_EQ(table[field->start + field->size], u'#');
  }
}

INSTANTIATE_TEST_SUITE_P(
    Facts, FactCutTest,
    ::testing::Values(CutCase{14, std::u16string(300, u'x'), std::u16string(121, u'x')},
                      CutCase{15, std::u16string(40, u'9'), std::u16string(29, u'9')},
                      CutCase{1, std::u16string(121, u'a'), std::u16string(121, u'a')},
                      CutCase{3, u"", u""},
                      // A character without a narrow form still takes one byte ('?').
                      CutCase{10, std::u16string(120, u'b') + u"ΩΩ", std::u16string(120, u'b') + u"Ω"},
                      // A surrogate pair is kept whole or left out.
                      CutCase{15, std::u16string(28, u'c') + u"\U0001F600", std::u16string(28, u'c')},
                      CutCase{7, u"Core\0i7", u"Core"}));

}  // namespace
