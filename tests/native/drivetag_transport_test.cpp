// The RST pass-through record byte for byte, the controller that checks it
// as the driver does, and the enumerator name read through SetupAPI.
#include "drivetag/enumerator.h"
#include "drivetag/rst_passthrough.h"
#include "platform/devices.h"
#include "platform/files.h"
#include "platform/setupapi.h"
#include "tests/native/drivetag_machine.h"
#include "tests/support/table_rows.h"

namespace {

using testsupport::PrintTo;

using namespace drivetag_test;

void Put(std::vector<std::uint8_t>& bytes, std::size_t at, std::initializer_list<int> values) {
  for (int value : values) bytes[at++] = static_cast<std::uint8_t>(value);
}

TEST(RstRecordTest, FeatureRecordIsLaidOutByteForByte) {
  drivetag::NvmeCommand command;
  command.opcode = 0x0A;
  command.nsid = 1;
  command.cdw10 = 0xDA;
  command.cdw11 = 13;
  command.cdw12 = 0x11223344;
  command.cdw15 = 0xAABBCCDD;
  const platform::ScsiAddress address{8, 4, 1, 2, 3};
  const auto record = drivetag::BuildRstRequest(address, command, 10, 128, nullptr);

  std::vector<std::uint8_t> expected(292, 0);
  Put(expected, 0, {28, 0, 0, 0});                                // header length
  Put(expected, 4, {'I', 'n', 't', 'e', 'l', 'N', 'v', 'm'});     // signature, no terminator
  Put(expected, 12, {10, 0, 0, 0});                               // timeout
  Put(expected, 16, {0x08, 0x28, 0x00, 0xF0});                    // control code
  Put(expected, 24, {0x08, 0x01, 0, 0});                          // 264 = 292 - 28
  Put(expected, 28, {1, 1, 2, 3});                                // version, path, target, lun
  Put(expected, 32, {0x0A});                                      // opcode
  Put(expected, 36, {1, 0, 0, 0});                                // NSID
  Put(expected, 72, {0xDA, 0, 0, 0, 13, 0, 0, 0});                // CDW10, CDW11
  Put(expected, 80, {0x44, 0x33, 0x22, 0x11});                    // CDW12
  Put(expected, 92, {0xDD, 0xCC, 0xBB, 0xAA});                    // CDW15
  Put(expected, 116, {164, 0, 0, 0, 128, 0, 0, 0});               // data offset and length
  EXPECT_EQ(record, expected);
}

TEST(RstRecordTest, IdentifyRecordCarriesFourKilobytesAndSentDataGoesBehindTheHeader) {
  drivetag::NvmeCommand command;
  command.opcode = 0x06;
  command.cdw10 = 1;
  const auto identify = drivetag::BuildRstRequest({8, 2, 0, 0, 0}, command, 40, 4096, nullptr);
  ASSERT_EQ(identify.size(), 4260u);
  EXPECT_EQ(std::vector<std::uint8_t>(identify.begin() + 24, identify.begin() + 28),
            (std::vector<std::uint8_t>{0x88, 0x10, 0, 0}));  // 4232
  EXPECT_EQ(identify[12], 40);
  EXPECT_EQ(std::vector<std::uint8_t>(identify.begin() + 120, identify.begin() + 124),
            (std::vector<std::uint8_t>{0, 0x10, 0, 0}));
  std::vector<std::uint8_t> data(128);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i + 1);
  const auto set = drivetag::BuildRstRequest({8, 2, 0, 0, 0}, command, 10, 128, data.data());
  EXPECT_EQ(std::vector<std::uint8_t>(set.begin() + 164, set.end()), data);
  EXPECT_TRUE(std::all_of(set.begin() + 124, set.begin() + 164, [](std::uint8_t b) { return b == 0; }));
}

struct Mutation {
  const char* name;
  std::size_t at;
  std::uint8_t value;
  const char* refusal;
};

class ControllerTest : public DrivetagTest {
 protected:
  void SetUp() override {
    DrivetagTest::SetUp();
    DiskSpec disk;
    disk.hostMetadata = R"({"11": "ORVO"})";
    Load(MachineJson({disk}));
  }
  std::vector<std::uint8_t> GoodRecord() {
    drivetag::NvmeCommand command;
    command.opcode = 0x0A;
    command.nsid = 1;
    command.cdw10 = 0xDA;
    command.cdw11 = 11;
    return drivetag::BuildRstRequest({8, 2, 0, 0, 0}, command, 10, 128, nullptr);
  }
  platform::Handle OpenPort() {
    return platform::CreateFileW(u"\\\\.\\Scsi2:", platform::kGenericRead | platform::kGenericWrite, 0,
                                 platform::kOpenExisting, 0);
  }
};

TEST_F(ControllerTest, AnswersAWellFormedRecordInPlace) {
  const platform::Handle port = OpenPort();
  ASSERT_NE(port, platform::kInvalidHandle);
  auto record = GoodRecord();
  std::uint32_t returned = 0;
  const auto size = static_cast<std::uint32_t>(record.size());
  ASSERT_TRUE(platform::DeviceIoControl(port, platform::kIoctlScsiMiniport, record.data(), size,
                                        record.data(), size, &returned));
  EXPECT_EQ(returned, size);
  EXPECT_EQ(record[20], 1);  // ReturnCode
  EXPECT_EQ(std::string(record.begin() + 170, record.begin() + 175), std::string("ORVO\0", 5));
  EXPECT_EQ(record[166], 11);
  platform::CloseHandle(port);
}

class RefusedRecordTest : public ControllerTest, public ::testing::WithParamInterface<Mutation> {};

TEST_P(RefusedRecordTest, DriverRefusesAMalformedRecord) {
  const platform::Handle port = OpenPort();
  auto record = GoodRecord();
  record[GetParam().at] = GetParam().value;
  std::uint32_t returned = 0;
  const auto size = static_cast<std::uint32_t>(record.size());
  EXPECT_FALSE(platform::DeviceIoControl(port, platform::kIoctlScsiMiniport, record.data(), size,
                                         record.data(), size, &returned));
  EXPECT_EQ(platform::LastError(), platform::kErrorInvalidParameter);
  const auto lines = TraceOf("ioctl 0x4D008");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(std::string("refused (") + GetParam().refusal + ")"), std::string::npos) << lines[0];
  EXPECT_EQ(record[20], 0);  // nothing was answered
  platform::CloseHandle(port);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, RefusedRecordTest,
    ::testing::Values(Mutation{"HeaderLength", 0, 24, "header length"},
                      Mutation{"Signature", 11, 'M', "signature"},
                      Mutation{"ControlCode", 16, 0x09, "control code"},
                      Mutation{"LengthField", 24, 0x04, "length"},
                      Mutation{"Version", 28, 2, "version"},
                      Mutation{"DataOffset", 116, 160, "data offset"},
                      Mutation{"DataLength", 120, 64, "data length"},
                      Mutation{"NoDriveAtPath", 29, 1, "no drive"},
                      Mutation{"NoDriveAtTarget", 30, 5, "no drive"},
                      Mutation{"FeatureIdentifier", 72, 0xD9, "feature"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ControllerTest, RecordShorterThanItsHeaderIsRefused) {
  const platform::Handle port = OpenPort();
  auto record = GoodRecord();
  std::uint32_t returned = 0;
  EXPECT_FALSE(platform::DeviceIoControl(port, platform::kIoctlScsiMiniport, record.data(), 100,
                                         record.data(), 100, &returned));
  EXPECT_EQ(platform::LastError(), platform::kErrorInvalidParameter);
  platform::CloseHandle(port);
}

TEST_F(ControllerTest, PortOpensExclusively) {
  const platform::Handle first = OpenPort();
  ASSERT_NE(first, platform::kInvalidHandle);
  EXPECT_EQ(OpenPort(), platform::kInvalidHandle);
  EXPECT_EQ(platform::LastError(), platform::kErrorSharingViolation);
  platform::CloseHandle(first);
  const platform::Handle again = OpenPort();
  EXPECT_NE(again, platform::kInvalidHandle);
  platform::CloseHandle(again);
}

struct EnumeratorCase {
  const char* name;
  std::string enumerator;  // JSON
  std::string diskExtra;
  bool storage;
  std::vector<std::string> offered;  // the sizes offered, in order
};

class EnumeratorNameTest : public DrivetagTest, public ::testing::WithParamInterface<EnumeratorCase> {};

TEST_P(EnumeratorNameTest, ReadsTheNameWithinTheBytesOffered) {
  DiskSpec disk;
  disk.enumerator = GetParam().enumerator;
  disk.diskExtra = GetParam().diskExtra;
  Load(MachineJson({disk}));
  const platform::DevInfoSet set =
      platform::SetupDiGetClassDevsW(&platform::kGuidDevinterfaceDisk, nullptr, 0x12);
  EXPECT_EQ(drivetag::IsStorageEnumerator(set, 0), GetParam().storage);
  std::vector<std::string> offered;
  for (const auto& line : TraceOf("setupapi.GetDeviceRegistryProperty")) {
    const auto at = line.find("offered=");
    offered.push_back(line.substr(at + 8, line.find(' ', at) - at - 8));
  }
  EXPECT_EQ(offered, GetParam().offered);
  EXPECT_FALSE(drivetag::IsStorageEnumerator(set, 1));  // no device there
  platform::SetupDiDestroyDeviceInfoList(set);
}

INSTANTIATE_TEST_SUITE_P(
    Names, EnumeratorNameTest,
    ::testing::Values(
        EnumeratorCase{"Scsi", "\"SCSI\"", "", true, {"1000"}},
        EnumeratorCase{"Usb", "\"USBSTOR\"", "", false, {"1000"}},
        EnumeratorCase{"Unreadable", "null", "", false, {"1000"}},
        // The second attempt offers exactly the twice-plus-two bytes it allocates.
        EnumeratorCase{"ShortNameRefusedFirst", "\"PCI\"", R"(, "enumeratorRefusals": 1)", true,
                       {"1000", "18"}},
        EnumeratorCase{"ReportedSizeTooSmall", "\"STORAGE\"",
                       R"(, "enumeratorRefusals": 1, "enumeratorReportedSize": 2)", false, {"1000", "6"}},
        EnumeratorCase{"RefusedTwice", "\"NVME\"", R"(, "enumeratorRefusals": 2)", false, {"1000", "22"}},
        // No terminator: the name ends with the bytes offered.
        EnumeratorCase{"UnterminatedFillsTheBuffer", R"({"hex": "5300430053004900"})",
                       R"(, "enumeratorRefusals": 1, "enumeratorReportedSize": 3)", true, {"1000", "8"}},
        EnumeratorCase{"LongName", JsonText(std::string(600, 'S')), "", false, {"1000", "2406"}},
        // A reported size is believed up to 4 KB; above, the read fails at once.
        EnumeratorCase{"ReportedSizeAtTheCap", "\"SCSI\"",
                       R"(, "enumeratorRefusals": 1, "enumeratorReportedSize": 4096)", true, {"1000", "8194"}},
        EnumeratorCase{"ReportedSizeAboveTheCap", "\"SCSI\"",
                       R"(, "enumeratorRefusals": 1, "enumeratorReportedSize": 4097)", false, {"1000"}},
        EnumeratorCase{"ReportedSizeOfTwoGigabytes", "\"SCSI\"",
                       R"(, "enumeratorRefusals": 1, "enumeratorReportedSize": 2147483646)", false, {"1000"}},
        EnumeratorCase{"OddByteCount", R"({"hex": "50004300490000"})", "", true, {"1000"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
