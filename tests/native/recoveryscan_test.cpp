#include "inventory/recoveryscan/recoveryscan.h"

#include <filesystem>
#include <string>
#include <vector>

#include "inventory/recoveryscan/installer_query.h"
#include "inventory/recoveryscan/registry_value.h"
#include "inventory/recoveryscan/run_log.h"
#include "platform/installer.h"
#include "tests/native/sim_test.h"
#include "tests/support/recoveryscan_texts.h"
#include "tests/support/table_rows.h"

// Named, not anonymous: the test files of one program are built as one unit.
namespace recoveryscan_test {

using testsupport::PrintTo;

const std::string kUpgradeCode = "{2253caa0-0ba2-461c-a50e-fc18228ebadd}";
const std::string kProductCode = "{6F1D3A52-8C47-4E0B-9A21-3B5C7D9E0F14}";
const std::string kRecoveryKey =
    R"("HKLM\\SOFTWARE\\ORVO\\ManageableUpdatePackage\\sentiva_os_recovery")";

using namespace recoveryscan_texts;

const std::vector<std::string> kDetected{"Product detected : ", "\n ERROR_SUCCESS"};
const std::string kNotDetected = "Product NOT detected : ";

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// An installer product carrying the application's upgrade code; fields is
// JSON added to the product object.
std::string Product(const std::string& fields, const std::string& upgradeCode = kUpgradeCode) {
  return R"({"productCode": ")" + kProductCode + R"(", "upgradeCode": ")" + upgradeCode + "\"" +
         fields + "}";
}

std::string Properties(const std::string& name, const std::string& version) {
  return R"(, "properties": {"InstalledProductName": ")" + name + R"(", "VersionString": ")" +
         version + "\"}";
}

// A 64-bit machine with the given products (JSON objects, comma separated)
// and recovery key values (JSON object, or "" for no key).
std::string Machine(const std::string& products, const std::string& keyValues,
                    const std::string& extra = "") {
  std::string json = R"({"windows": 64, "localTime": "2021-11-28T16:26:58")" + extra;
  if (!products.empty()) json += R"(, "installer": {"products": [)" + products + "]}";
  if (!keyValues.empty()) json += R"(, "registry": {)" + kRecoveryKey + ": " + keyValues + "}";
  return json + "}";
}

std::string AsciiHex(const std::string& text) {
  std::string hex;
  char pair[3];
  for (unsigned char c : text) {
    std::snprintf(pair, sizeof pair, "%02x", c);
    hex += pair;
  }
  return hex;
}

class RecoveryScanTest : public SimTest {
 protected:
  int Run(const std::vector<std::string>& arguments) { return inventory::recoveryscan::Run(arguments); }

  std::string Attribute(const std::string& file, const std::string& element,
                        const std::string& name) const {
    const std::string text = Read(file);
    const auto at = text.find(" " + name + "=\"", text.find("<" + element));
    if (at == std::string::npos) return "<none>";
    const auto start = at + name.size() + 3;
    return text.substr(start, text.find('"', start) - start);
  }
  std::string Version(const std::string& file = "inv.xml") const {
    return Attribute(file, "Application", "version");
  }
  std::string Display(const std::string& file = "inv.xml") const {
    return Attribute(file, "Device", "display");
  }
  const std::vector<std::string>& DebugOutput() const { return sim::CurrentRun().debugOutput; }
};

struct OutcomeRow {
  const char* name;
  std::string machine;
  std::string version;
  std::string display;
  std::string logBody;  // between the start line and the success line
  std::vector<std::string> debugOutput;
};
void PrintTo(const OutcomeRow& row, std::ostream* out) { *out << row.name; }

class RecoveryOutcomeTest : public RecoveryScanTest, public ::testing::WithParamInterface<OutcomeRow> {};

TEST_P(RecoveryOutcomeTest, ReportsTheChosenVersionAndDisplayAndLogsEachFailure) {
  const OutcomeRow& row = GetParam();
  LoadMachine(row.machine);
  EXPECT_EQ(Run({"-o", "inv.xml"}), 0);
  EXPECT_EQ(Version(), row.version);
  EXPECT_EQ(Attribute("inv.xml", "Application", "packageVersion"), row.version);
  EXPECT_EQ(Display(), row.display);
  EXPECT_EQ(Attribute("inv.xml", "Application", "display"), row.display);
  EXPECT_EQ(Read("xlog.txt"), kLogStart + row.logBody + kDone);
  EXPECT_EQ(DebugOutput(), row.debugOutput);
  EXPECT_EQ(Stdout(), "");
}

std::string Repeat(char c, std::size_t count) { return std::string(count, c); }

INSTANTIATE_TEST_SUITE_P(
    Rows, RecoveryOutcomeTest,
    ::testing::Values(
        OutcomeRow{"NothingInstalled", Machine("", ""), "0", kDefaultDisplay, kNoKey, {}},
        OutcomeRow{"ProductWithLongNameAndVersion", Machine(Product(Properties(kName29, "10.1.20300")), ""),
                   "10.1.20300", kName29, kNoKey, Concat({kDetected, kDetected})},
        OutcomeRow{"ShortVersionFallsBackOnTheRegistry",
                   Machine(Product(Properties(kName29, "1.0.0.0")),
                           R"({"UninstalledVersionZeroInv": "10.1.20.300"})"),
                   "10.1.20.300", kName29, "", Concat({kDetected, kDetected})},
        OutcomeRow{"ShortVersionAndNoRegistryValue",
                   Machine(Product(Properties(kName29, "1.0.0.0")), "{}"), "0", kName29, "",
                   Concat({kDetected, kDetected})},
        OutcomeRow{"ShortVersionAndShortRegistryValue",
                   Machine(Product(Properties(kName29, "1.0.0.0")),
                           R"({"UninstalledVersionZeroInv": "1.2.3"})"),
                   "0", kName29, "", Concat({kDetected, kDetected})},
        OutcomeRow{"NineCharacterVersionIsTooShort",
                   Machine(Product(Properties(kName29, "1.0.20300")), ""), "0", kName29, kNoKey,
                   Concat({kDetected, kDetected})},
        OutcomeRow{"NameOf28CharactersIsTooShort",
                   Machine(Product(Properties(kName28, "10.1.20300")), ""), "10.1.20300",
                   kDefaultDisplay, kNoKey, Concat({kDetected, kDetected})},
        OutcomeRow{"NoProductButARegistryVersion",
                   Machine("", R"({"UninstalledVersionZeroInv": "10.1.20.300"})"), "10.1.20.300",
                   kDefaultDisplay, "", {}},
        OutcomeRow{"ProductOfAnotherApplication",
                   Machine(Product(Properties(kName29, "10.1.20300"),
                                   "{00000000-0ba2-461c-a50e-fc18228ebadd}"),
                           ""),
                   "0", kDefaultDisplay, kNoKey, {}},
        OutcomeRow{"UpgradeCodeInCapitalsStillMatches",
                   Machine(Product(Properties(kName29, "10.1.20300"),
                                   "{2253CAA0-0BA2-461C-A50E-FC18228EBADD}"),
                           ""),
                   "10.1.20300", kName29, kNoKey, Concat({kDetected, kDetected})},
        OutcomeRow{"PerUserInstallIsNotFoundPerMachine",
                   Machine(Product(Properties(kName29, "10.1.20300") + R"(, "context": "user")"), ""),
                   "0", kDefaultDisplay, kUnknownProduct + kNoName + kUnknownProduct + kNoVersion + kNoKey,
                   {kNotDetected, kNotDetected}},
        OutcomeRow{"PropertiesMissing", Machine(Product(""), ""), "0", kDefaultDisplay,
                   kOtherError + kNoName + kOtherError + kNoVersion + kNoKey, {}},
        OutcomeRow{"VersionQueryFails",
                   Machine(Product(Properties(kName29, "10.1.20300") +
                                   R"(, "failures": {"VersionString": 1610})"),
                           R"({"UninstalledVersionZeroInv": "10.1.20.301"})"),
                   "10.1.20.301", kName29, kOtherError + kNoVersion, kDetected},
        OutcomeRow{"NameQueryAnswersUnknownProduct",
                   Machine(Product(Properties(kName29, "10.1.20300") +
                                   R"(, "failures": {"InstalledProductName": 1605})"),
                           ""),
                   "10.1.20300", kDefaultDisplay, kUnknownProduct + kNoName + kNoKey,
                   Concat({{kNotDetected}, kDetected})},
        OutcomeRow{"VersionFillsItsBufferToTheLastByte",
                   Machine(Product(Properties(kName29, Repeat('9', 259))), ""), Repeat('9', 259),
                   kName29, kNoKey, Concat({kDetected, kDetected})},
        OutcomeRow{"VersionOneTooLongIsNotCut",
                   Machine(Product(Properties(kName29, Repeat('9', 260))), ""), "0", kName29,
                   kOtherError + kNoVersion + kNoKey, kDetected},
        OutcomeRow{"NameFillsItsBufferToTheLastByte",
                   Machine(Product(Properties(Repeat('N', 1023), "10.1.20300")), ""), "10.1.20300",
                   Repeat('N', 1023), kNoKey, Concat({kDetected, kDetected})},
        OutcomeRow{"NameOneTooLongIsNotCut",
                   Machine(Product(Properties(Repeat('N', 1024), "10.1.20300")), ""), "10.1.20300",
                   kDefaultDisplay, kOtherError + kNoName + kNoKey, kDetected},
        OutcomeRow{"UnterminatedAnswersAreCutAtTheBuffer",
                   Machine(Product(Properties(Repeat('N', 2000), Repeat('9', 300)) +
                                   R"(, "unterminated": true)"),
                           ""),
                   Repeat('9', 259), Repeat('N', 1023), kNoKey, Concat({kDetected, kDetected})},
        OutcomeRow{"UnterminatedShortAnswersKeepTheirLength",
                   Machine(Product(Properties(kName29, "10.1.20300") + R"(, "unterminated": true)"), ""),
                   "10.1.20300", kName29, kNoKey, Concat({kDetected, kDetected})},
        // The installer hands out Windows-1252; the document says and is UTF-8.
        OutcomeRow{"AnsiNameIsWrittenInUtf8",
                   Machine(Product(Properties("Orvo Sentiva R\u00e9cup\u00e9ration Syst\u00e8me", "10.1.20300")),
                           ""),
                   "10.1.20300", "Orvo Sentiva R\xC3\xA9" "cup\xC3\xA9ration Syst\xC3\xA8me", kNoKey,
                   Concat({kDetected, kDetected})},
        OutcomeRow{"RegistryDwordIsTooShortAText", Machine("", R"({"UninstalledVersionZeroInv": 4294967295})"),
                   "0", kDefaultDisplay, "", {}},
        OutcomeRow{"RegistryBinaryWithoutTerminator",
                   Machine("", R"({"UninstalledVersionZeroInv": {"type": "REG_BINARY", "hex": ")" +
                                   AsciiHex("10.1.20.300") + "\"}}"),
                   "10.1.20.300", kDefaultDisplay, "", {}},
        OutcomeRow{"RegistryValueFillsItsBuffer",
                   Machine("", R"({"UninstalledVersionZeroInv": {"type": "REG_BINARY", "hex": ")" +
                                   AsciiHex(Repeat('7', 260)) + "\"}}"),
                   Repeat('7', 260), kDefaultDisplay, "", {}},
        OutcomeRow{"RegistryValueTooLarge",
                   Machine("", R"({"UninstalledVersionZeroInv": {"type": "REG_BINARY", "hex": ")" +
                                   AsciiHex(Repeat('7', 261)) + "\"}}"),
                   "0", kDefaultDisplay, "", {}},
        OutcomeRow{"RegistryTextEndsAtItsFirstNul",
                   Machine("", R"({"UninstalledVersionZeroInv": {"type": "REG_BINARY", "hex": ")" +
                                   AsciiHex("10.1.20.300") + "00" + AsciiHex("junk") + "\"}}"),
                   "10.1.20.300", kDefaultDisplay, "", {}},
        OutcomeRow{"RegistryOnly32BitViewIsNotRead",
                   R"({"windows": 64, "registry": {"HKLM\\SOFTWARE\\WOW6432Node\\ORVO\\ManageableUpdatePackage\\sentiva_os_recovery": {"UninstalledVersionZeroInv": "10.1.20.300"}}})",
                   "0", kDefaultDisplay, kNoKey, {}},
        OutcomeRow{"Windows32ReadsTheOnlyView",
                   Machine("", R"({"UninstalledVersionZeroInv": "10.1.20.300"})", R"(, "windows": 32)"),
                   "10.1.20.300", kDefaultDisplay, "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecoveryScanTest, DocumentIsTheDeclarationThenOneLineWithoutFinalBreak) {
  LoadMachine(Machine(Product(Properties(kName29, "10.1.20300")), ""));
  testsupport::WriteFile(Path("inv.xml"), std::string(4000, 'x'));
  Run({"-o", "inv.xml"});
  EXPECT_EQ(Read("inv.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\r\n"
            "<SVMInventory lang=\"en\" timeStamp=\"2021-11-28T16:26:58\" schemaVersion=\"1.0\">"
            "<Device display=\"Orvo Sentiva OS Recovery Tool\" componentID=\"104763\">"
            "<Application componentType=\"APAC\" version=\"10.1.20300\" display=\"Orvo Sentiva OS "
            "Recovery Tool\" packageVersion=\"10.1.20300\"></Application></Device></SVMInventory>");
}

TEST_F(RecoveryScanTest, AsksTheInstallerAsTheOrdinalsExpect) {
  LoadMachine(Machine(Product(Properties(kName29, "10.1.20300")), ""));
  Run({"-o", "inv.xml"});
  EXPECT_EQ(TraceOf("msi."),
            (std::vector<std::string>{
                "msi.EnumRelatedProductsA " + kUpgradeCode + " index=0 " + kProductCode + " -> 0",
                "msi.GetProductInfoExA " + kProductCode + " context=4 \"InstalledProductName\" size=1024 -> 0",
                "msi.GetProductInfoExA " + kProductCode + " context=4 \"VersionString\" size=260 -> 0"}));
}

TEST_F(RecoveryScanTest, ReadsTheRecoveryValueFromThe64BitView) {
  LoadMachine(Machine("", R"({"UninstalledVersionZeroInv": "10.1.20.300"})"));
  Run({"-o", "inv.xml"});
  EXPECT_EQ(TraceOf("reg.open"),
            std::vector<std::string>{"reg.open HKLM\\SOFTWARE\\ORVO\\ManageableUpdatePackage\\"
                                     "sentiva_os_recovery view=64 access=0x101 -> 0"});
  EXPECT_EQ(TraceOf("reg.queryA").size(), 1u);
}

struct CommandLineRow {
  const char* name;
  std::vector<std::string> arguments;
  int exitCode;
  bool usage;
  std::vector<std::pair<std::string, std::string>> logs;  // file and its exact bytes
  std::vector<std::string> documents;                     // files holding the document
  std::vector<std::string> absent;                        // files that must not exist
};
void PrintTo(const CommandLineRow& row, std::ostream* out) { *out << row.name; }

// A folder for names of 259 characters whose last part fits the file system.
const std::string kLongFolder(250, 'd');
const std::string kName259 = kLongFolder + "/inv1.xml";
const std::string kName260 = kLongFolder + "/inv12.xml";

class RecoveryCommandLineTest : public RecoveryScanTest,
                                public ::testing::WithParamInterface<CommandLineRow> {};

TEST_P(RecoveryCommandLineTest, ScansTheArgumentsAsTheTableSays) {
  const CommandLineRow& row = GetParam();
  LoadMachine(Machine("", ""));
  std::filesystem::create_directory(Path(kLongFolder));
  EXPECT_EQ(Run(row.arguments), row.exitCode);
  EXPECT_EQ(Stdout(), row.usage ? kUsage : "");
  for (const auto& [file, bytes] : row.logs) EXPECT_EQ(Read(file), bytes) << file;
  for (const auto& file : row.documents) EXPECT_EQ(Version(file), "0") << file;
  for (const auto& file : row.absent) EXPECT_FALSE(testsupport::FileExists(Path(file))) << file;
}

const std::string kFullLog = kLogStart + kNoKey + kDone;
const std::string kFullNamedLog = kNamedLogStart + kNoKey + kDone;

INSTANTIATE_TEST_SUITE_P(
    Rows, RecoveryCommandLineTest,
    ::testing::Values(
        CommandLineRow{"NoArguments", {}, 1, true, {}, {}, {"xlog.txt"}},
        CommandLineRow{"Output", {"-o", "inv.xml"}, 0, false, {{"xlog.txt", kFullLog}}, {"inv.xml"}, {}},
        CommandLineRow{"OutputUpper", {"-O", "inv.xml"}, 0, false, {{"xlog.txt", kFullLog}}, {"inv.xml"}, {}},
        CommandLineRow{"OutputSlash", {"/o", "inv.xml"}, 0, false, {{"xlog.txt", kFullLog}}, {"inv.xml"}, {}},
        CommandLineRow{"OutputSlashUpper", {"/O", "inv.xml"}, 0, false, {{"xlog.txt", kFullLog}}, {"inv.xml"}, {}},
        CommandLineRow{"OutputWithoutName", {"-o"}, 1, true, {}, {}, {"xlog.txt"}},
        CommandLineRow{"OutputWithoutNameAfterALog", {"-l", "run.log", "-o"}, 1, true,
                       {{"run.log", kNamedLogStart + kFailed}}, {}, {"xlog.txt"}},
        CommandLineRow{"Help", {"-help"}, 1, true, {}, {}, {"xlog.txt"}},
        CommandLineRow{"HelpSlashUpper", {"/HELP"}, 1, true, {}, {}, {"xlog.txt"}},
        CommandLineRow{"QuestionMark", {"?"}, 1, true, {}, {}, {"xlog.txt"}},
        CommandLineRow{"HelpAfterOutput", {"-o", "inv.xml", "-help"}, 1, true, {}, {}, {"xlog.txt", "inv.xml"}},
        CommandLineRow{"HelpAfterALog", {"-l", "run.log", "-help"}, 1, true,
                       {{"run.log", kNamedLogStart + kFailed}}, {}, {"xlog.txt"}},
        CommandLineRow{"LogWithoutNameAtTheEnd", {"-o", "inv.xml", "-l"}, 0, true, {{"xlog.txt", kFullLog}},
                       {"inv.xml"}, {}},
        CommandLineRow{"LogUpper", {"-L", "run.log", "-o", "inv.xml"}, 0, false, {{"run.log", kFullNamedLog}},
                       {"inv.xml"}, {"xlog.txt"}},
        CommandLineRow{"LogP", {"-o", "inv.xml", "-p", "run.log"}, 0, false, {{"run.log", kFullNamedLog}},
                       {"inv.xml"}, {"xlog.txt"}},
        CommandLineRow{"TwoLogs", {"-l", "first.log", "-o", "inv.xml", "-P", "second.log"}, 0, false,
                       {{"first.log", kNamedLogStart}, {"second.log", kFullNamedLog}}, {"inv.xml"},
                       {"xlog.txt"}},
        CommandLineRow{"LaterOutputReplaces", {"-o", "first.xml", "-o", "second.xml"}, 0, false,
                       {{"xlog.txt", kFullLog}}, {"second.xml"}, {"first.xml"}},
        CommandLineRow{"OutputNameThatLooksLikeAnOption", {"-o", "-help"}, 0, false, {{"xlog.txt", kFullLog}},
                       {"-help"}, {}},
        CommandLineRow{"SlashLIsNoOption", {"/l", "x.log", "-o", "inv.xml"}, 0, false, {{"xlog.txt", kFullLog}},
                       {"inv.xml"}, {"x.log"}},
        CommandLineRow{"OtherArgumentsIgnored", {"foo", "-o", "inv.xml", std::string(100000, 'x'), "-x"}, 0,
                       false, {{"xlog.txt", kFullLog}}, {"inv.xml"}, {}},
        // No document stored: the failure line stands where the success line would.
        CommandLineRow{"NoOutputWritesNoDocument", {"-l", "run.log"}, 0, false,
                       {{"run.log", kNamedLogStart + kNoKey + kFailed}}, {}, {"xlog.txt"}},
        CommandLineRow{"OnlyUnknownArguments", {"inv.xml"}, 0, false, {{"xlog.txt", kLogStart + kNoKey + kFailed}},
                       {}, {"inv.xml"}},
        // The document may not be the open log's file, by whatever spelling.
        CommandLineRow{"OutputIsTheDefaultLog", {"-o", "xlog.txt"}, 1, true, {}, {}, {"xlog.txt"}},
        CommandLineRow{"OutputIsTheDefaultLogOtherwiseSpelt", {"-o", ".\\XLOG.TXT"}, 1, true, {}, {}, {"xlog.txt"}},
        CommandLineRow{"OutputIsTheNamedLog", {"-l", "run.log", "-o", "RUN.LOG"}, 1, true,
                       {{"run.log", kNamedLogStart + kFailed}}, {}, {"xlog.txt"}},
        CommandLineRow{"OutputNamedBeforeTheLog", {"-o", "run.log", "-p", "run.log"}, 1, true,
                       {{"run.log", kNamedLogStart + kFailed}}, {}, {"xlog.txt"}},
        CommandLineRow{"OutputIsAnEarlierClosedLog", {"-l", "first.log", "-l", "second.log", "-o", "first.log"}, 0,
                       false, {{"second.log", kFullNamedLog}}, {"first.log"}, {"xlog.txt"}},
        CommandLineRow{"OutputName259", {"-o", kName259}, 0, false, {{"xlog.txt", kFullLog}}, {kName259}, {}},
        CommandLineRow{"OutputName260", {"-o", kName260}, 1, true, {}, {}, {kName260, "xlog.txt"}},
        CommandLineRow{"LogName259", {"-o", "inv.xml", "-l", kName259}, 0, false, {{kName259, kFullNamedLog}},
                       {"inv.xml"}, {"xlog.txt"}},
        CommandLineRow{"LogName260AfterALog", {"-l", "run.log", "-l", kName260}, 1, true,
                       {{"run.log", kNamedLogStart + kFailed}}, {}, {kName260, "xlog.txt"}},
        CommandLineRow{"LogThatCannotBeOpenedFallsBackToTheDefault",
                       {"-l", "missing/run.log", "-o", "inv.xml"}, 0, false, {{"xlog.txt", kFullLog}},
                       {"inv.xml"}, {"missing"}},
        CommandLineRow{"OutputThatCannotBeOpened", {"-o", "missing/inv.xml"}, 0, false,
                       {{"xlog.txt", kLogStart + kNoKey + kFailed}}, {}, {"missing"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A full volume: no document (the old one stays), the failure line instead
// of the success line (the temporary file's space is free again by then),
// and the exit code the Part gives.
TEST_F(RecoveryScanTest, FullVolumeStoresNoDocumentAndLogsTheFailure) {
  LoadMachine(Machine("", "", R"(, "volume": {"freeBytes": )" +
                                  std::to_string(kLogStart.size() + kNoKey.size() + kFailed.size() + 50) + "}"));
  testsupport::WriteFile(Path("inv.xml"), "old");
  EXPECT_EQ(Run({"-o", "inv.xml"}), 0);
  EXPECT_EQ(Read("inv.xml"), "old");
  EXPECT_FALSE(testsupport::FileExists(Path("inv.xm~")));
  EXPECT_EQ(Read("xlog.txt"), kLogStart + kNoKey + kFailed);
}

TEST_F(RecoveryScanTest, DefaultLogThatCannotBeCreatedDropsTheLinesAndTheRunGoesOn) {
  LoadMachine(Machine("", ""));
  std::filesystem::create_directory(Path("xlog.txt"));  // a folder cannot be opened as a file
  EXPECT_EQ(Run({"-o", "inv.xml"}), 0);
  EXPECT_EQ(Version(), "0");
}

struct SpecRow {
  const char* name;
  std::string valuePath;
  bool valid;
  platform::RegKey hive;
  std::string keyPath;
  std::string valueName;
};
void PrintTo(const SpecRow& row, std::ostream* out) { *out << row.name; }

class RegistrySpecTest : public ::testing::TestWithParam<SpecRow> {};

TEST_P(RegistrySpecTest, SplitsHiveKeyAndValueOrRefuses) {
  const SpecRow& row = GetParam();
  inventory::recoveryscan::RegistrySpec parsed{};
  ASSERT_EQ(inventory::recoveryscan::ParseRegistrySpec(row.valuePath.c_str(), &parsed), row.valid);
  if (!row.valid) return;
  EXPECT_EQ(parsed.hive, row.hive);
  EXPECT_EQ(std::string(parsed.keyPath), row.keyPath);
  EXPECT_EQ(std::string(parsed.valueName), row.valueName);
}

const std::string kLongHivePrefix = "HKEY_LOCAL_MACHINE\\";

INSTANTIATE_TEST_SUITE_P(
    Specs, RegistrySpecTest,
    ::testing::Values(
        SpecRow{"LocalMachine", "HKEY_LOCAL_MACHINE\\SOFTWARE\\A;V", true, platform::kHkeyLocalMachine,
                "SOFTWARE\\A", "V"},
        SpecRow{"CurrentUser", "HKEY_CURRENT_USER\\K;V", true, platform::kHkeyCurrentUser, "K", "V"},
        SpecRow{"ClassesRoot", "HKEY_CLASSES_ROOT\\K;V", true, platform::kHkeyClassesRoot, "K", "V"},
        SpecRow{"Users", "HKEY_USERS\\K;V", true, platform::kHkeyUsers, "K", "V"},
        SpecRow{"EmptyKeyPath", "HKEY_USERS\\;V", true, platform::kHkeyUsers, "", "V"},
        SpecRow{"EmptyValueName", "HKEY_USERS\\K;", true, platform::kHkeyUsers, "K", ""},
        SpecRow{"SecondSemicolonBelongsToTheValue", "HKEY_USERS\\K;A;B", true, platform::kHkeyUsers, "K",
                "A;B"},
        SpecRow{"BackslashInTheValue", "HKEY_USERS\\K\\L;V\\W", true, platform::kHkeyUsers, "K\\L", "V\\W"},
        SpecRow{"OnlyTheFirst259CharactersCount",
                kLongHivePrefix + std::string(200, 'K') + ";" + std::string(100, 'V'), true,
                platform::kHkeyLocalMachine, std::string(200, 'K'), std::string(39, 'V')},
        SpecRow{"SemicolonPastTheFirst259Characters",
                kLongHivePrefix + std::string(240, 'K') + ";" + std::string(50, 'V'), false, 0, "", ""},
        SpecRow{"NoSemicolon", "HKEY_LOCAL_MACHINE\\SOFTWARE\\A", false, 0, "", ""},
        SpecRow{"NoBackslash", "HKEY_LOCAL_MACHINE;V", false, 0, "", ""},
        SpecRow{"BackslashOnlyAfterTheSemicolon", "HKEY_LOCAL_MACHINE;K\\V", false, 0, "", ""},
        SpecRow{"HiveInLowerCase", "hkey_local_machine\\K;V", false, 0, "", ""},
        SpecRow{"ShortHiveName", "HKLM\\K;V", false, 0, "", ""},
        SpecRow{"UnknownHive", "HKEY_CURRENT_CONFIG\\K;V", false, 0, "", ""},
        SpecRow{"Empty", "", false, 0, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct ViewRow {
  const char* name;
  std::string machine;
  std::string keyPath;
  std::string traced;  // the reg.open line
};
void PrintTo(const ViewRow& row, std::ostream* out) { *out << row.name; }

class OpenKeyForQueryTest : public RecoveryScanTest, public ::testing::WithParamInterface<ViewRow> {};

TEST_P(OpenKeyForQueryTest, NamesTheViewOnlyUnderWow64) {
  LoadMachine(GetParam().machine);
  platform::RegKey key = 0;
  inventory::recoveryscan::OpenKeyForQuery(platform::kHkeyLocalMachine, GetParam().keyPath.c_str(), &key);
  EXPECT_EQ(TraceOf("reg.open"), std::vector<std::string>{GetParam().traced});
}

INSTANTIATE_TEST_SUITE_P(
    Rules, OpenKeyForQueryTest,
    ::testing::Values(
        ViewRow{"Wow64Names64", R"({"windows": 64})", "SOFTWARE\\A",
                "reg.open HKLM\\SOFTWARE\\A view=64 access=0x101 -> 2"},
        ViewRow{"Wow64CapitalNodeNames32", R"({"windows": 64})", "SOFTWARE\\WOW6432NODE\\A",
                "reg.open HKLM\\SOFTWARE\\WOW6432NODE\\A view=32 access=0x201 -> 2"},
        ViewRow{"Wow64OtherSpellingNames64", R"({"windows": 64})", "SOFTWARE\\WOW6432Node\\A",
                "reg.open HKLM\\SOFTWARE\\WOW6432Node\\A view=64 access=0x101 -> 2"},
        ViewRow{"Windows32NamesNone", R"({"windows": 32})", "SOFTWARE\\A",
                "reg.open HKLM\\SOFTWARE\\A view=none access=0x1 -> 2"},
        ViewRow{"LookupMissingNamesNone", R"({"windows": 64, "isWow64Process": "missing"})", "SOFTWARE\\A",
                "reg.open HKLM\\SOFTWARE\\WOW6432Node\\A view=32 access=0x1 -> 2"},
        ViewRow{"CallFailingNamesNone", R"({"windows": 64, "isWow64Process": "fails"})", "SOFTWARE\\A",
                "reg.open HKLM\\SOFTWARE\\WOW6432Node\\A view=32 access=0x1 -> 2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecoveryScanTest, CapitalNodeSpecReadsThe32BitKey) {
  LoadMachine(R"({"windows": 64, "registry": {"HKLM\\SOFTWARE\\WOW6432Node\\ORVO\\R": {"V": "10.1.20.300"}}})");
  inventory::recoveryscan::RunLog log;
  std::string text;
  EXPECT_EQ(inventory::recoveryscan::QueryRegistrySpec("HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432NODE\\ORVO\\R;V", &text, log),
            platform::kSuccess);
  EXPECT_EQ(text, "10.1.20.300");
}

struct SpecLogRow {
  const char* name;
  const char* valuePath;
  std::string logged;
};
void PrintTo(const SpecLogRow& row, std::ostream* out) { *out << row.name; }

class QueryRegistrySpecLogTest : public RecoveryScanTest, public ::testing::WithParamInterface<SpecLogRow> {};

TEST_P(QueryRegistrySpecLogTest, LogsWhyNothingWasRead) {
  LoadMachine(R"({"windows": 64, "registry": {"HKLM\\SOFTWARE\\K": {"Other": "x"}}})");
  std::string text = "stale";
  {
    inventory::recoveryscan::RunLog log;
    log.Open("run.log", "");
    EXPECT_NE(inventory::recoveryscan::QueryRegistrySpec(GetParam().valuePath, &text, log), platform::kSuccess);
  }
  EXPECT_EQ(text, "");
  EXPECT_EQ(Read("run.log"), GetParam().logged);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, QueryRegistrySpecLogTest,
    ::testing::Values(SpecLogRow{"InvalidSpec", "HKEY_LOCAL_MACHINE\\SOFTWARE\\K", kBadSpec},
                      SpecLogRow{"UnknownHive", "HKEY_MACHINE\\SOFTWARE\\K;V", kBadSpec},
                      SpecLogRow{"KeyMissing", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Missing;V", kNoKey},
                      SpecLogRow{"ValueMissing", "HKEY_LOCAL_MACHINE\\SOFTWARE\\K;V", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct ResultRow {
  const char* name;
  platform::Status code;
  std::vector<std::string> debugOutput;
  std::string logged;
};
void PrintTo(const ResultRow& row, std::ostream* out) { *out << row.name; }

class ReportInstallerResultTest : public RecoveryScanTest, public ::testing::WithParamInterface<ResultRow> {};

TEST_P(ReportInstallerResultTest, TellsTheDebuggerOrTheLog) {
  LoadMachine("{}");
  {
    inventory::recoveryscan::RunLog log;
    log.Open("run.log", "");
    EXPECT_EQ(inventory::recoveryscan::ReportInstallerResult(GetParam().code, log), GetParam().code);
  }
  EXPECT_EQ(DebugOutput(), GetParam().debugOutput);
  EXPECT_EQ(Read("run.log"), GetParam().logged);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ReportInstallerResultTest,
    ::testing::Values(ResultRow{"Success", 0, kDetected, ""},
                      ResultRow{"UnknownProduct", 1605, {kNotDetected}, kUnknownProduct},
                      ResultRow{"UnknownProperty", 1608, {}, kOtherError},
                      ResultRow{"BadConfiguration", 1610, {}, kOtherError},
                      ResultRow{"MoreData", 234, {}, kOtherError}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecoveryScanTest, DebuggerTextsAreTracedOnePerCall) {
  LoadMachine(Machine(Product(Properties(kName29, "10.1.20300")), ""));
  Run({"-o", "inv.xml"});
  const auto lines = TraceOf("kernel32.OutputDebugStringA");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "kernel32.OutputDebugStringA \"Product detected : \"");
  EXPECT_EQ(lines[1], "kernel32.OutputDebugStringA \"\\n ERROR_SUCCESS\"");
}

}  // namespace recoveryscan_test
