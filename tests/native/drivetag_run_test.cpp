// drivetag's run over the disks: which disks it talks to, the drive index
// that the messages carry, every log and console line, and the exit code.
#include "drivetag/stamper.h"

#include "sim/core/handles.h"
#include "tests/native/drivetag_machine.h"
#include "tests/support/table_rows.h"

namespace {

using testsupport::PrintTo;

using namespace drivetag_test;

std::string Identified(char low, char high, bool lflag, bool hflag) {
  return std::string("irstModeProcessing pass") + low + (lflag ? "lflag is Set" : "lflag is Unset") +
         high + (hflag ? "hflag is Set" : "hflag is Unset");
}

// Console lines of a supported drive whose elements hold `held`.
std::string StampedConsole(const std::map<int, std::string>& held) {
  std::string out = Identified('\x02', '\x80', true, true);
  out += "strorage driver name is :iaStorVD\nstrorage driver name post assignemnt :iaStorVD\n";
  for (int type : kElementOrder) {
    out += " Value retrieved from the Offset " + std::to_string(type) + " is : " + held.at(type) + "\n";
    if (type == 2) out += " Value retrieved for the Offset 2 iaStorVD\n";
  }
  return out;
}

std::vector<std::string> ReadLines(int drive, const std::map<int, std::string>& held) {
  std::vector<std::string> lines;
  for (int type : kElementOrder) {
    for (auto& line : ReadLog(drive, type, held.at(type))) lines.push_back(line);
  }
  return lines;
}

TEST_F(DrivetagTest, DriveIndexCountsUnsupportedAndDoneDrivesButNotFailedOnes) {
  std::map<int, std::string> oldFirst = kLaptopFacts;
  oldFirst[1] = "old";
  DiskSpec refused;  // the controller's driver does not know the requests
  refused.port = 3;
  refused.controllerExtra = R"(, "passThrough": false)";
  DiskSpec noLflag;
  noLflag.byte3108 = 0x00;
  DiskSpec usb;
  usb.enumerator = "\"USBSTOR\"";
  DiskSpec failed;
  failed.hostMetadata = HostMetadata(oldFirst);
  failed.faults = R"({"setFeatures": {"1": {"fail": true}}})";
  DiskSpec done;
  done.hostMetadata = HostMetadata(kLaptopFacts);
  DiskSpec noHflag;
  noHflag.byte3109 = 0x7F;
  Load(MachineJson({refused, noLflag, usb, failed, done, noHflag}));

  EXPECT_EQ(drivetag::RunProgram(), 0);

  std::vector<std::string> log = {"Host Metadata is not supported for HDD0",
                                  "Host Metadata is not supported for HDD1"};
  for (auto& line : ReadLines(2, oldFirst)) {
    log.push_back(line);
    if (line == "And the current  Value retrieved  from this offset is : old") {
      log.push_back("Failure during write opreation into HDD2 at offset:1");
    }
  }
  for (auto& line : ReadLines(2, kLaptopFacts)) log.push_back(line);
  log.push_back("Host Metadata is not supported for HDD3");
  log.push_back("NVME hostmetadata inventory completed successfully.");
  EXPECT_EQ(Log(), LogLines(log));

  const std::string console = std::string("irstModeProcessing fail") +
                              Identified('\0', '\x80', false, true) + StampedConsole(oldFirst) +
                              StampedConsole(kLaptopFacts) +
                              "index falg value post increment : 3\n" +
                              Identified('\x02', '\x7F', true, false);
  EXPECT_EQ(Stdout(), TextMode(console));
  EXPECT_TRUE(WrittenTypes().empty());
}

TEST_F(DrivetagTest, TwoMatchingDrivesEachAdvanceTheIndexWithoutWriting) {
  DiskSpec done;
  done.hostMetadata = HostMetadata(kLaptopFacts);
  Load(MachineJson({done, done}));
  EXPECT_EQ(drivetag::RunProgram(), 0);
  EXPECT_EQ(Exchanges("0xA").size(), 20u);
  EXPECT_TRUE(Exchanges("0x9").empty());
  const std::string out = Stdout();
  const auto first = out.find("index falg value post increment : 1\r\n");
  ASSERT_NE(first, std::string::npos) << out;
  EXPECT_NE(out.find("index falg value post increment : 2\r\n", first), std::string::npos) << out;
  EXPECT_NE(Log().find("Value is Read From HDD1\r\n"), std::string::npos);
}

TEST_F(DrivetagTest, MachineWithoutDisksLogsOnlyTheSuccessLine) {
  Load(MachineJson({}));
  EXPECT_EQ(drivetag::RunProgram(), 0);
  EXPECT_EQ(Log(), LogLines({"NVME hostmetadata inventory completed successfully."}));
  EXPECT_EQ(Stdout(), "");
  EXPECT_EQ(TraceOf("setupapi.EnumDeviceInterfaces"),
            std::vector<std::string>{"setupapi.EnumDeviceInterfaces index=0 -> 259"});
  EXPECT_EQ(TraceOf("setupapi.DestroyDeviceInfoList").size(), 1u);
}

TEST_F(DrivetagTest, DiskListThatCannotBeBuiltIsTheOnlyFailure) {
  Load(MachineJson({DiskSpec{}}, kLaptopWmi, R"(, "diskListError": 5)"));
  EXPECT_EQ(drivetag::RunProgram(), 1);
  // The message carries its own line break, so an empty line follows it.
  EXPECT_EQ(Log(), kStamp + "SetupDiGetClassDevs failed with error: 5\r\n\r\n" +
                       LogLines({"NVME hostmetadata inventory executed with failure."}));
  EXPECT_EQ(Stdout(), "");
  EXPECT_TRUE(TraceOf("setupapi.EnumDeviceInterfaces").empty());
}

TEST_F(DrivetagTest, AsksForPresentDisksByTheDiskInterface) {
  Load(MachineJson({}));
  drivetag::RunProgram();
  EXPECT_EQ(TraceOf("setupapi.GetClassDevs"),
            std::vector<std::string>{
                "setupapi.GetClassDevs {53F56307-B6BF-11D0-94F2-00A0C91EFB8B} flags=0x12 -> 0"});
}

struct SkipCase {
  const char* name;
  std::string diskExtra;
  std::string enumerator;
  std::string machineExtra;
};

class SkippedDiskTest : public DrivetagTest, public ::testing::WithParamInterface<SkipCase> {};

// A disk skipped at any step leaves no line anywhere, and the next disk's
// lines carry the number the skipped one would have had.
TEST_P(SkippedDiskTest, LeavesNoLineAndKeepsTheIndex) {
  DiskSpec skipped;
  skipped.diskExtra = GetParam().diskExtra;
  if (!GetParam().enumerator.empty()) skipped.enumerator = GetParam().enumerator;
  DiskSpec unsupported;
  unsupported.byte3109 = 0;
  Load(MachineJson({skipped, unsupported}, kLaptopWmi, GetParam().machineExtra));
  EXPECT_EQ(drivetag::RunProgram(), 0);
  EXPECT_EQ(Log(), LogLines({"Host Metadata is not supported for HDD0",
                             "NVME hostmetadata inventory completed successfully."}));
  EXPECT_EQ(Stdout(), Identified('\x02', '\0', true, false));
  EXPECT_EQ(Exchanges("0x6").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SkippedDiskTest,
    ::testing::Values(
        SkipCase{"UsbDisk", "", "\"USBSTOR\"", ""},
        SkipCase{"InterfaceFails", R"(, "interfaceError": 1784)", "", ""},
        SkipCase{"DetailFails", R"(, "detailError": 13)", "", ""},
        SkipCase{"OpenRefused", R"(, "readWrite": false)", "", ""},
        SkipCase{"EnumeratorUnreadable", "", "null", ""},
        SkipCase{"EnumeratorTooLong", R"(, "enumeratorRefusals": 2)", "", ""},
        SkipCase{"RootEnumerated", "", "\"ROOT\"", ""},
        SkipCase{"StorageLookalike", "", "\"SCSIX\"", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrivetagTest, WithoutAdministratorRightsEveryDiskIsSkipped) {
  Load(MachineJson({DiskSpec{}, DiskSpec{}}, kLaptopWmi, R"(, "administrator": false)"));
  EXPECT_EQ(drivetag::RunProgram(), 0);
  EXPECT_EQ(Log(), LogLines({"NVME hostmetadata inventory completed successfully."}));
  EXPECT_EQ(Stdout(), "");
  EXPECT_EQ(TraceOf("file.open \\\\?\\scsi").size(), 2u);
}

TEST_F(DrivetagTest, EnumeratorNamesCompareWithoutRegardToCase) {
  std::vector<DiskSpec> disks;
  for (const char* name : {"\"scsi\"", "\"Storage\"", "\"pci\"", "\"NvMe\""}) {
    DiskSpec disk;
    disk.enumerator = name;
    disk.byte3109 = 0;
    disks.push_back(disk);
  }
  Load(MachineJson(disks));
  drivetag::RunProgram();
  EXPECT_EQ(Exchanges("0x6").size(), 4u);
  EXPECT_NE(Log().find("not supported for HDD3\r\n"), std::string::npos);
}

TEST_F(DrivetagTest, MissingLogFolderLosesTheLinesButNotTheRun) {
  DiskSpec drive;
  Load(MachineJson({drive}), false);
  EXPECT_EQ(drivetag::RunProgram(), 0);
  EXPECT_FALSE(std::filesystem::exists(Path("c-drive/ProgramData")));
  EXPECT_EQ(WrittenTypes().size(), 10u);
  EXPECT_NE(Stdout().find("index falg value post increment : 1\r\n"), std::string::npos);
}

TEST_F(DrivetagTest, LogIsAppendedToAndNeverTruncated) {
  Load(MachineJson({}));
  testsupport::WriteFile(Path(kLogFile), "earlier run\r\n");
  drivetag::RunProgram();
  drivetag::RunProgram();
  EXPECT_EQ(Log(), "earlier run\r\n" + LogLines({"NVME hostmetadata inventory completed successfully.",
                                                  "NVME hostmetadata inventory completed successfully."}));
}

TEST_F(DrivetagTest, DeviceHandlesAreClosedAfterEachDrive) {
  DiskSpec drive;
  DiskSpec usb;
  usb.enumerator = "\"USB\"";
  Load(MachineJson({drive, usb}));
  drivetag::RunProgram();
  EXPECT_EQ(sim::CountOpen(u"\\\\?\\scsi#disk&ven_nvme&prod_drive0#4&1&0&000000#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}"), 0);
  EXPECT_EQ(sim::CountOpen(u"\\\\?\\scsi#disk&ven_nvme&prod_drive1#4&1&0&000001#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}"), 0);
  EXPECT_EQ(sim::CountOpen(u"\\\\.\\Scsi2:"), 0);
}

}  // namespace
