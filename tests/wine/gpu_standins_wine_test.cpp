// tconprobe.exe under Wine on the GPU vendors' stand-ins (sim/windows): it
// creates the Intel CUI object from its ProgID and loads the vendor
// libraries by name as on a PC, and the panel and GPU models behind them
// answer as on the simulated machine, from copies of the shipped machines.
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/core/json_reader.h"
#include "tests/wine/wine_harness.h"

namespace winetest {
namespace gpu_standins_wine_test {

const std::string kTconprobe = Win64Path("tconprobe/tconprobe.exe");
const std::string kAuxCaller = Win64Path("tests/windows/aux_caller.exe");
const std::string kMachines = std::string(SHIPPED_MACHINES_DIR) + "/tconprobe/";
const std::string kEmptyDocument = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<SVMInventory lang=\"en\"/>\r\n";

// A shipped machine, as it is or with the panel's program in flash (the
// flash section's defaults: a KS52310 at 0x5000), for links whose example
// machines show the check alone.
struct Machine {
  const char* file;
  bool flash = false;
};

std::string Describe(const Machine& machine) {
  return std::string(machine.file) + (machine.flash ? " with flash" : "");
}

class GpuStandInTest : public WineTest {
 protected:
  // Runs a program with a copy of the machine as the stand-ins' machine.
  testsupport::ProcessResult RunOn(const Machine& machine, const std::string& exe,
                                   const std::vector<std::string>& arguments) {
    sim::Json json = sim::Json::parse(testsupport::ReadFile(kMachines + machine.file));
    if (machine.flash) json["panel"]["flash"] = sim::Json::object();
    testsupport::WriteFile(Path("machine.json"), json.dump(2));
    return RunWineWith({{"INVSIM_MACHINE", WindowsPath(Path("machine.json"))}}, exe, arguments, Path(""));
  }
};

// The text of a debug log's last line, without its tick stamp.
std::string LastText(const std::string& log) {
  const std::size_t end = log.rfind("\r\r\n");
  if (end == std::string::npos) return "<no line>";
  const std::size_t start = log.rfind("\r\r\n", end - 1);
  const std::string line = log.substr(start == std::string::npos ? 0 : start + 3, end - (start + 3));
  return line.substr(line.find("] ") + 2);
}

// The detect log's lines without the hex dumps.
std::vector<std::string> DetectLines(const std::string& log) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < log.size()) {
    std::size_t end = log.find("\r\n", start);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(start, end - start);
    const bool dump = line.size() >= 3 && std::isxdigit(static_cast<unsigned char>(line[0])) &&
                      std::isxdigit(static_cast<unsigned char>(line[1])) && line[2] == ' ';
    if (!dump) lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

// The plain check opens the Intel back-end that the built-in profile names;
// "-DM" checks on what detection found, so it reaches the other vendors.
TEST_F(GpuStandInTest, TheCheckReadsThePanelsVersionThroughEachVendor) {
  struct Case {
    Machine machine;
    const char* option;    // "" for the plain check
    int exitCode;
    const char* version;   // "" for the empty document
    const char* lastLine;  // of the debug log
  };
  const Case cases[] = {
      {{"matching.json"}, "", 0, "0008", "Read checksum:000008"},
      {{"other-value.json"}, "", 0, "0009", "Read checksum:000009"},
      {{"mcu-never-done.json"}, "", 2, "", "Read Checksum Fail"},
      {{"no-intel-object.json"}, "", 2, "", "Open DP Fail"},
      {{"flash-edp.json"}, "-DM", 0, "0008", "Read checksum:000008"},
      {{"flash-edp-nvidia.json"}, "-DM", 0, "0008", "Read checksum:000008"},
      {{"flash-edp-amd.json"}, "-DM", 0, "0008", "Read checksum:000008"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Describe(c.machine) + " " + c.option);
    std::filesystem::remove(Path("debug.txt"));
    std::filesystem::remove(Path("out.xml"));
    std::vector<std::string> arguments{"-o", "out.xml", "-p", "debug.txt"};
    if (*c.option != '\0') arguments.push_back(c.option);
    const auto run = RunOn(c.machine, kTconprobe, arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.stderrBytes;
    const std::string document = Read("out.xml");
    if (*c.version == '\0') {
      EXPECT_EQ(document, kEmptyDocument);
    } else {
      EXPECT_NE(document.find(std::string(" version=\"") + c.version + "\""), std::string::npos) << document;
    }
    EXPECT_EQ(LastText(Read("debug.txt")), c.lastLine);
  }
}

// "-T" tries each vendor and link in turn through the stand-ins and stops
// at the first that reaches a known TCON.
TEST_F(GpuStandInTest, DetectionFindsEachVendorAndLink) {
  struct Case {
    Machine machine;
    int exitCode;
    const char* trial;     // the trial that reached model detection
    const char* lastLine;
  };
  const Case cases[] = {
      {{"flash-edp.json"}, 4, "gpu:1, dp:2", "recommend based model:KS52310.ini"},
      {{"flash-dp.json"}, 4, "gpu:1, dp:3", "recommend based model:KS52320.ini"},
      {{"flash-edp-nvidia.json"}, 4, "gpu:2, dp:2", "recommend based model:KS52310.ini"},
      {{"nvidia-dp.json", true}, 4, "gpu:2, dp:3", "recommend based model:KS52310.ini"},
      {{"flash-edp-amd.json"}, 4, "gpu:3, dp:2", "recommend based model:KS52310.ini"},
      {{"amd-dp.json", true}, 4, "gpu:3, dp:3", "recommend based model:KS52310.ini"},
      // AMD keeps the selection it had, adapter 0 display 0, when no DisplayPort display
      // matches; this eDP panel sits there, so the DisplayPort trial already reaches it,
      // through the library's other file.
      {{"amd-atiadlxy.json", true}, 4, "gpu:3, dp:3", "recommend based model:KS52310.ini"},
      // The NVIDIA panel without flash or EEPROM is no TCON flow; the AMD trials find no library.
      {{"nvidia-edp.json"}, 5, "gpu:3, dp:2", "NO GPU AVAILABLE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Describe(c.machine));
    std::filesystem::remove(Path("detect_log.txt"));
    const auto run = RunOn(c.machine, kTconprobe, {"-T"});
    EXPECT_EQ(run.exitCode, c.exitCode) << run.stderrBytes;
    const std::vector<std::string> lines = DetectLines(Read("detect_log.txt"));
    ASSERT_FALSE(lines.empty());
    std::string trial;
    for (const std::string& line : lines) {
      if (line.starts_with("gpu:")) trial = line;
    }
    EXPECT_EQ(trial, c.trial);
    EXPECT_EQ(lines.back(), c.lastLine);
  }
}

TEST_F(GpuStandInTest, AnotherProgramReachesThePanelThroughTheExports) {
  struct Case {
    Machine machine;
    const char* gpu;
    const char* display;
    const char* answers;
  };
  const char* const kPanelAnswers =
      "open 0\n"
      "dpcd-read 0 14 0a 84 01\n"
      "tcon-read 0 61\n"
      "close 0\n"
      "closed-read -1\n";
  const char* const kNoChannel = "open -1\ndpcd-read -1 00 00 00 00\ntcon-read -1 00\nclose 0\nclosed-read -1\n";
  const Case cases[] = {
      {{"matching.json"}, "1", "2", kPanelAnswers},
      // The Intel object opens whatever the link; no DisplayPort device is attached.
      {{"matching.json"}, "1", "3",
       "open 0\ndpcd-read -1 00 00 00 00\ntcon-read -1 00\nclose 0\nclosed-read -1\n"},
      {{"nvidia-edp.json"}, "2", "2", kPanelAnswers},
      {{"nvidia-dp.json"}, "2", "3", kPanelAnswers},
      // NVIDIA opens only on a display of the link's connector type, and only with its library.
      {{"nvidia-dp.json"}, "2", "2", kNoChannel},
      {{"nvidia-library-missing.json"}, "2", "2", kNoChannel},
      {{"amd-edp.json"}, "3", "2", kPanelAnswers},
      {{"amd-atiadlxy.json"}, "3", "2", kPanelAnswers},
      {{"amd-missing-library.json"}, "3", "2", kNoChannel},
      {{"amd-missing-name.json"}, "3", "2", kNoChannel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Describe(c.machine) + " gpu " + c.gpu + " display " + c.display);
    const auto run = RunOn(c.machine, kAuxCaller, {kTconprobe, c.gpu, c.display});
    EXPECT_EQ(run.exitCode, 0) << run.stderrBytes;
    std::string answers = run.stdoutBytes;
    std::erase(answers, '\r');
    EXPECT_EQ(answers, c.answers);
  }
}

TEST_F(GpuStandInTest, ABrokenMachineFileEndsTheRunWith125AndNamesTheFile) {
  testsupport::WriteFile(Path("broken.json"), "{\"panel\": {\"rom\": {\"size\": \"big\"}}}");
  const auto run = RunWineWith({{"INVSIM_MACHINE", WindowsPath(Path("broken.json"))}}, kTconprobe,
                               {"-o", "out.xml"}, Path(""));
  EXPECT_EQ(run.exitCode, 125);
  EXPECT_NE(run.stderrBytes.find("broken.json: panel rom \"size\""), std::string::npos) << run.stderrBytes;
}

}  // namespace gpu_standins_wine_test
}  // namespace winetest
