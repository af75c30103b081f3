// drivetag.exe and its host facts under Wine, with Wine's real SetupAPI,
// COM and WMI.
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/wine/wine_harness.h"

namespace winetest {
// Named, not anonymous: the test files of one program are built as one unit.
namespace drivetag_wine_test {

const std::string kDrivetagExe = Win64Path("drivetag/drivetag.exe");
const std::string kProbeExe = Win64Path("tests/windows/host_facts_probe.exe");

class DrivetagWineTest : public WineTest {
 protected:
  std::string DriveC() const { return Prefix() + "/drive_c"; }
  // One property of the last row of a class, as wmic lists it.
  std::string Wmic(const std::string& wmiClass, const std::string& property) {
    const auto run = Run("wmic", {"path", wmiClass, "get", property});
    const std::string text = testsupport::Utf16LeToUtf8(run.stdoutBytes.substr(
        run.stdoutBytes.rfind("\xFF\xFE", 0) == 0 ? 2 : 0));
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
      if (c == '\n') {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty()) lines.push_back(line);
        line.clear();
      } else {
        line += c;
      }
    }
    return lines.size() >= 2 ? lines.back() : "<no rows>";
  }
};

std::string Stamp(std::time_t when) {
  std::tm parts{};
  localtime_r(&when, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
  return text;
}

TEST_F(DrivetagWineTest, RunsToCompletionAndLogsTheSuccessLine) {
  const std::string logFolder = DriveC() + "/ProgramData/Orvo/Tallyhub/Log";
  std::filesystem::create_directories(logFolder);
  std::filesystem::remove(logFolder + "/THHOSTMetadata.txt");
  const std::time_t before = std::time(nullptr);
  const auto run = Run(kDrivetagExe, {});
  const std::time_t after = std::time(nullptr);
  EXPECT_EQ(run.exitCode, 0) << run.stderrBytes;
  // Wine's SetupAPI lists no disks in a new prefix: only the last line.
  const std::string log = testsupport::ReadFile(logFolder + "/THHOSTMetadata.txt");
  ASSERT_GT(log.size(), 19u) << log;
  EXPECT_EQ(log.substr(19), " : NVME hostmetadata inventory completed successfully.\r\n");
  const std::string stamp = log.substr(0, 19);
  EXPECT_GE(stamp, Stamp(before));
  EXPECT_LE(stamp, Stamp(after));
  EXPECT_EQ(run.stdoutBytes, "");
}

TEST_F(DrivetagWineTest, WithoutTheLogFolderRunsAndCreatesNothing) {
  const std::string folder = DriveC() + "/ProgramData/Orvo";
  std::filesystem::remove_all(folder);
  const auto run = Run(kDrivetagExe, {});
  EXPECT_EQ(run.exitCode, 0) << run.stderrBytes;
  EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(DrivetagWineTest, HostFactsMatchWhatWineWmiReports) {
  const auto run = Run(kProbeExe, {});
  ASSERT_EQ(run.exitCode, 0) << run.stdoutBytes << run.stderrBytes;
  std::map<int, std::string> facts;
  std::size_t start = 0;
  while (start < run.stdoutBytes.size()) {
    const std::size_t end = run.stdoutBytes.find('\n', start);
    std::string line = run.stdoutBytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end == std::string::npos ? run.stdoutBytes.size() : end + 1;
    const auto eq = line.find('=');
    if (eq != std::string::npos && line.rfind("collected", 0) != 0) {
      facts[std::stoi(line.substr(0, eq))] = line.substr(eq + 1);
    }
  }
  const std::string caption = Wmic("Win32_OperatingSystem", "Caption");
  ASSERT_GT(caption.size(), 17u);
  EXPECT_EQ(facts[10], "Build " + Wmic("Win32_OperatingSystem", "Version") + caption.substr(17));
  EXPECT_EQ(facts[11], "ORVO " + Wmic("Win32_ComputerSystem", "Model"));
  EXPECT_EQ(facts[7], Wmic("Win32_Processor", "Name"));
  EXPECT_EQ(facts[12], "BIOS " + Wmic("Win32_BIOS", "SMBIOSBIOSVersion"));
  EXPECT_EQ(facts[14], Wmic("Win32_VideoController", "Name"));
  EXPECT_EQ(facts[15], Wmic("Win32_VideoController", "DriverVersion"));
  // Wine has no RST driver rows: the driver facts stay empty.
  for (int type : {1, 2, 3, 13}) EXPECT_EQ(facts[type], "") << type;
}

}  // namespace drivetag_wine_test
}  // namespace winetest
