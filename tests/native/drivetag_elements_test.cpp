// The element pass: read each host metadata element, compare it with the
// wanted fact and write it only when it differs; the commands it sends and
// what it makes of the drives' answers.
#include "drivetag/stamper.h"

#include "sim/core/text_codec.h"
#include "tests/native/drivetag_machine.h"
#include "tests/support/table_rows.h"

namespace {

using testsupport::PrintTo;

using namespace drivetag_test;

bool Done(const std::string& out) { return out.find("index falg value post increment : 1") != std::string::npos; }

struct PassCase {
  const char* name;
  std::string hostMetadata;  // JSON
  std::string faults;        // JSON
  std::vector<int> written;  // Set Features that reached the drive, in order
  std::vector<int> failedAt; // failure lines, in order
  bool done;
};

class ElementPassTest : public DrivetagTest, public ::testing::WithParamInterface<PassCase> {};

TEST_P(ElementPassTest, ReadsComparesAndWritesEveryElement) {
  DiskSpec disk;
  disk.hostMetadata = GetParam().hostMetadata;
  disk.faults = GetParam().faults;
  Load(MachineJson({disk}));
  EXPECT_EQ(drivetag::RunProgram(), 0);

  EXPECT_EQ(WrittenTypes(), GetParam().written);
  std::vector<int> failures;
  const std::string log = Log();
  const std::string marker = "Failure during write opreation into HDD0 at offset:";
  for (auto at = log.find(marker); at != std::string::npos; at = log.find(marker, at + 1)) {
    failures.push_back(std::stoi(log.substr(at + marker.size())));
  }
  EXPECT_EQ(failures, GetParam().failedAt);
  EXPECT_EQ(Done(Stdout()), GetParam().done) << Stdout();
  // Every element is read, whatever happened to the ones before.
  EXPECT_EQ(Exchanges("0xA").size(), 10u);
}

const std::string kAllSetsFail = R"({"setFeatures": {"all": {"fail": true}}})";

INSTANTIATE_TEST_SUITE_P(
    Table, ElementPassTest,
    ::testing::Values(
        PassCase{"AllMatched", HostMetadata(kLaptopFacts), "{}", {}, {}, true},
        PassCase{"NoneAnswered", HostMetadata(kLaptopFacts), R"({"getFeatures": {"all": {"fail": true}}})",
                 {1, 2, 3, 7, 10, 11, 12, 13, 14, 15}, {}, true},
        PassCase{"EmptyDrive", "{}", "{}", {1, 2, 3, 7, 10, 11, 12, 13, 14, 15}, {}, true},
        PassCase{"Type1WriteFails", "{}", R"({"setFeatures": {"1": {"fail": true}}})",
                 {2, 3, 7, 10, 11, 12, 13, 14, 15}, {1}, false},
        PassCase{"Type7WriteFails", "{}", R"({"setFeatures": {"7": {"fail": true}}})",
                 {1, 2, 3, 10, 11, 12, 13, 14, 15}, {7}, false},
        PassCase{"Type15WriteFails", "{}", R"({"setFeatures": {"15": {"fail": true}}})",
                 {1, 2, 3, 7, 10, 11, 12, 13, 14}, {15}, false},
        PassCase{"EveryWriteFails", "{}", kAllSetsFail, {}, {1, 2, 3, 7, 10, 11, 12, 13, 14, 15}, false},
        PassCase{"OnlyDifferingWritten",
                 HostMetadata({{1, "Intel RST VMD Controller 467F"}, {2, "iaStorVD"}, {3, "19.5.1.1040"},
                               {7, "13th Gen Intel(R) Core(TM) i7-1355U"}, {10, "Build 10.0.22631 11 Pro"},
                               {11, "ORVO ULTRABOOK 14 G3"}, {12, "BIOS 1.14.0"},
                               {13, "C:\\Windows\\System32\\drivers\\iaStorVD.sys"},
                               {14, "Intel(R) Iris(R) Xe Graphics"}, {15, "31.0.101.4502 "}}),
                 "{}", {11, 15}, {}, true},
        // Only the element types of the table are ever touched.
        PassCase{"OtherTypesLeftAlone", R"({"4": "keep", "16": "keep"})", kAllSetsFail, {},
                 {1, 2, 3, 7, 10, 11, 12, 13, 14, 15}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrivetagTest, WrittenDriveHoldsTheFactsAndTheNextRunWritesNothing) {
  Load(MachineJson({DiskSpec{}}));
  drivetag::RunProgram();
  std::map<int, std::vector<std::uint8_t>> expected;
  for (const auto& [type, value] : kLaptopFacts) expected[type] = Bytes(value);
  EXPECT_EQ(Stored(), expected);
  std::vector<std::string> log;
  for (int type : kElementOrder) {
    for (auto& line : ReadLog(0, type, "")) log.push_back(line);
    for (auto& line : WriteLog(0, type, kLaptopFacts.at(type))) log.push_back(line);
  }
  log.push_back("NVME hostmetadata inventory completed successfully.");
  EXPECT_EQ(Log(), LogLines(log));
  EXPECT_NE(Stdout().find(TextMode(" Value :ORVO Ultrabook 14 G3 is updated at offset: 11\n")),
            std::string::npos);

  std::filesystem::remove(Path("trace.txt"));
  drivetag::RunProgram();
  EXPECT_TRUE(Exchanges("0x9").empty());
  EXPECT_EQ(Exchanges("0xA").size(), 10u);
}

// CR and LF inside a fact or a drive's value reach the log as blanks: a
// value cannot begin a line of its own, without the time stamp.
TEST_F(DrivetagTest, LineBreaksInsideValuesBecomeBlanksInTheLog) {
  std::string wmi = kLaptopWmi;
  const std::string model = R"("Model": "Ultrabook 14 G3")";
  wmi.replace(wmi.find(model), model.size(), R"("Model": "Ultra\r\n2024-01-01T00:00:00 : forged\nline\r")");
  DiskSpec disk;
  disk.hostMetadata = R"({"14": "read\r\nback"})";
  Load(MachineJson({disk}, wmi));
  drivetag::RunProgram();
  const std::string log = Log();
  EXPECT_NE(log.find("Value retrieved  from this offset is : read  back\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Value written into offset is : ORVO Ultra  2024-01-01T00:00:00 : forged line \r\n"),
            std::string::npos)
      << log;
  // Every line carries its stamp.
  for (std::size_t start = 0; start < log.size(); start = log.find("\r\n", start) + 2) {
    EXPECT_EQ(log.compare(start, kStamp.size(), kStamp), 0) << log.substr(start, 60);
  }
}

TEST_F(DrivetagTest, ReturnCodeOtherThanOneCountsAsWrittenWithoutAnyLine) {
  DiskSpec disk;
  disk.faults = R"({"setFeatures": {"all": {"returnCode": 0}, "3": {"returnCode": 7}}})";
  Load(MachineJson({disk}));
  drivetag::RunProgram();
  EXPECT_EQ(WrittenTypes().size(), 10u);
  EXPECT_EQ(Log().find("Written"), std::string::npos);
  EXPECT_EQ(Log().find("Failure"), std::string::npos);
  EXPECT_EQ(Stdout().find("is updated"), std::string::npos);
  EXPECT_TRUE(Done(Stdout()));
  EXPECT_TRUE(Stored().empty());  // the drive did not take them
}

TEST_F(DrivetagTest, WrongByteCountsInAnswersAreIgnored) {
  DiskSpec disk;
  disk.hostMetadata = HostMetadata(kLaptopFacts);
  disk.faults = R"({"identify": {"bytesReturned": 0},
                    "getFeatures": {"all": {"bytesReturned": 4294967295}}})";
  Load(MachineJson({disk}));
  drivetag::RunProgram();
  EXPECT_TRUE(Exchanges("0x9").empty());
  EXPECT_TRUE(Done(Stdout()));
}

struct ReadCase {
  const char* name;
  std::string element;  // JSON of element 14's value
  std::string fault;    // JSON of element 14's Get Features fault
  std::string read;     // the value the pass reads
};

class ElementReadTest : public DrivetagTest, public ::testing::WithParamInterface<ReadCase> {};

// What the drive answers is outside data: the value ends at its first zero
// byte or with the 122-byte value area, whatever the answer holds beyond.
TEST_P(ElementReadTest, ValueEndsAtItsZeroOrTheValueArea) {
  DiskSpec disk;
  disk.hostMetadata = R"({"14": )" + GetParam().element + "}";
  disk.faults = R"({"getFeatures": {"14": )" + GetParam().fault + "}}";
  Load(MachineJson({disk}));
  drivetag::RunProgram();
  const std::string log = Log();
  const std::string line = kStamp + "And the current  Value retrieved  from this offset is : " +
                           GetParam().read + "\r\n" + kStamp + "Value is Written";
  EXPECT_NE(log.find(kStamp + "The current  Offset is : 14\r\n" + line), std::string::npos) << log;
  EXPECT_NE(Stdout().find(" Value retrieved from the Offset 14 is : " + GetParam().read + "\r\n"),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ElementReadTest,
    ::testing::Values(
        ReadCase{"FillsTheValueArea", JsonText(std::string(122, 'V')), "{}", std::string(122, 'V')},
        ReadCase{"ZeroInside", R"({"hex": "41420043"})", "{}", "AB"},
        ReadCase{"ShortAnswer", JsonText("Intel graphics"), R"({"dataBytes": 11})", "Intel"},
        ReadCase{"DiffersInCaseOnly", JsonText("INTEL(R) IRIS(R) XE GRAPHICS"), "{}",
                 "INTEL(R) IRIS(R) XE GRAPHICS"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrivetagTest, CommandsCarryTheirDwordsTimeoutsAndData) {
  std::map<int, std::string> held = kLaptopFacts;
  held.erase(12);
  DiskSpec disk;
  disk.hostMetadata = HostMetadata(held);
  Load(MachineJson({disk}));
  drivetag::RunProgram();
  const std::string common = "ioctl 0x4D008 \\\\.\\Scsi2: path=0 target=0 lun=0 ";
  const std::string rest = " cdw12=0x0 cdw13=0x0 cdw14=0x0 cdw15=0x0";
  ASSERT_EQ(Exchanges("0x6").size(), 1u);
  EXPECT_EQ(Exchanges("0x6")[0].rfind(common + "opcode=0x6 nsid=0 cdw10=0x1 cdw11=0x0" + rest +
                                          " timeout=40 length=4096 data= -> 0",
                                      0),
            0u)
      << Exchanges("0x6")[0];
  const auto gets = Exchanges("0xA");
  ASSERT_EQ(gets.size(), 10u);
  for (std::size_t i = 0; i < gets.size(); ++i) {
    char expected[160];
    std::snprintf(expected, sizeof expected, "opcode=0xA nsid=1 cdw10=0xDA cdw11=0x%X", kElementOrder[i]);
    EXPECT_EQ(gets[i].rfind(common + expected + rest + " timeout=10 length=128 data= -> 0", 0), 0u) << gets[i];
  }
  // The data structure: one descriptor, type 12, revision 0, length 122, the value and its zero.
  const auto sets = Exchanges("0x9");
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0].rfind(common + "opcode=0x9 nsid=0 cdw10=0xDA cdw11=0x0" + rest +
                              " timeout=10 length=128 data=01000c007a00" + sim::ToHex(Bytes("BIOS 1.14.0")) +
                              " -> 0 returnCode=1",
                          0),
            0u)
      << sets[0];
}

TEST_F(DrivetagTest, EachCommandAsksForTheAddressAndOpensThePortAnew) {
  DiskSpec disk;
  disk.port = 7;
  disk.hostMetadata = HostMetadata({{1, "x"}});
  Load(MachineJson({disk}));
  drivetag::RunProgram();
  // Identify, ten Get Features and the ten Set Features of a drive that
  // holds nothing it should.
  EXPECT_EQ(TraceOf("ioctl 0x41018").size(), 21u);
  const auto opens = TraceOf("file.open \\\\.\\Scsi7:");
  ASSERT_EQ(opens.size(), 21u);
  EXPECT_EQ(opens[0], "file.open \\\\.\\Scsi7: access=0xC0000000 share=0x0 disposition=3 -> 0");
  EXPECT_EQ(TraceOf("ioctl 0x4D008 \\\\.\\Scsi7: path=0 target=0 lun=0").size(), 21u);
}

struct IdentifyCase {
  const char* name;
  std::string fault;
  int byte3108, byte3109;
  std::string console;
};

class IdentifyTest : public DrivetagTest, public ::testing::WithParamInterface<IdentifyCase> {};

TEST_P(IdentifyTest, SupportTestOnTheTwoBytes) {
  DiskSpec disk;
  disk.byte3108 = GetParam().byte3108;
  disk.byte3109 = GetParam().byte3109;
  disk.faults = GetParam().fault;
  Load(MachineJson({disk}));
  drivetag::RunProgram();
  EXPECT_EQ(Stdout(), GetParam().console);
  EXPECT_EQ(Log(), LogLines({"Host Metadata is not supported for HDD0",
                             "NVME hostmetadata inventory completed successfully."}));
  EXPECT_TRUE(Exchanges("0xA").empty());
  EXPECT_TRUE(TraceOf("com.").empty());
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, IdentifyTest,
    ::testing::Values(
        IdentifyCase{"ExchangeFails", R"({"identify": {"fail": true}})", 2, 0x80, "irstModeProcessing fail"},
        // Data shorter than asked: the rest of the zeroed buffer stays zero.
        IdentifyCase{"ShortData", R"({"identify": {"dataBytes": 3108}})", 2, 0x80,
                     std::string("irstModeProcessing pass\0lflag is Unset\0hflag is Unset", 53)},
        IdentifyCase{"HflagOnly", "{}", 0xFD, 0x80, "irstModeProcessing pass\xFDlflag is Unset\x80hflag is Set"},
        IdentifyCase{"LflagOnly", "{}", 0x02, 0x7F, "irstModeProcessing pass\x02lflag is Set\x7Fhflag is Unset"},
        // The bytes go out raw, a line feed through the text-mode stream.
        IdentifyCase{"RawBytes", "{}", 0x0A, 0x40, "irstModeProcessing pass\r\nlflag is Set@hflag is Unset"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrivetagTest, DiskNotOnAScsiPortIsUnsupported) {
  DiskSpec disk;
  disk.onScsiPort = false;
  Load(MachineJson({disk}));
  drivetag::RunProgram();
  EXPECT_EQ(Stdout(), "irstModeProcessing fail");
  EXPECT_TRUE(TraceOf("file.open \\\\.\\Scsi").empty());
}

TEST_F(DrivetagTest, PortHeldByAnotherProgramFailsTheExchange) {
  DiskSpec disk;
  disk.controllerExtra = R"(, "heldByOtherProgram": true)";
  Load(MachineJson({disk}));
  drivetag::RunProgram();
  EXPECT_EQ(Stdout(), "irstModeProcessing fail");
  EXPECT_EQ(TraceOf("file.open \\\\.\\Scsi2:")[0], "file.open \\\\.\\Scsi2: access=0xC0000000 share=0x0 disposition=3 -> 32");
  EXPECT_NE(Log().find("not supported for HDD0"), std::string::npos);
}

}  // namespace
