// tconprobe.exe under Wine on the GPU vendors' stand-ins (sim/windows): it
// creates the Intel CUI object from its ProgID and loads the vendor
// libraries by name as on a PC, and the panel and GPU models behind them
// answer as on the simulated machine, from copies of the shipped machines.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/wine/wine_harness.h"

namespace winetest {
namespace gpu_standins_wine_test {

const std::string kTconprobe = Win64Path("tconprobe/tconprobe.exe");
const std::string kAuxCaller = Win64Path("tests/windows/aux_caller.exe");
const std::string kMachines = std::string(SHIPPED_MACHINES_DIR) + "/tconprobe/";
const std::string kEmptyDocument = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<SVMInventory lang=\"en\"/>\r\n";

class GpuStandInTest : public WineTest {
 protected:
  // Runs tconprobe.exe with a copy of the shipped machine as the stand-ins' machine.
  testsupport::ProcessResult RunOn(const std::string& machine, const std::vector<std::string>& arguments) {
    std::filesystem::copy_file(kMachines + machine, Path("machine.json"),
                               std::filesystem::copy_options::overwrite_existing);
    return RunWineWith({{"INVSIM_MACHINE", WindowsPath(Path("machine.json"))}}, kTconprobe, arguments,
                       Path(""));
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

TEST_F(GpuStandInTest, TheCheckReadsThePanelsVersionThroughTheStandIns) {
  struct Case {
    const char* machine;
    int exitCode;
    const char* version;   // "" for the empty document
    const char* lastLine;  // of the debug log
  };
  const Case cases[] = {
      {"matching.json", 0, "0008", "Read checksum:000008"},
      {"other-value.json", 0, "0009", "Read checksum:000009"},
      {"mcu-never-done.json", 2, "", "Read Checksum Fail"},
      {"no-intel-object.json", 2, "", "Open DP Fail"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.machine);
    std::filesystem::remove(Path("debug.txt"));
    const auto run = RunOn(c.machine, {"-o", "out.xml", "-p", "debug.txt"});
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

TEST_F(GpuStandInTest, AnotherProgramReachesThePanelThroughTheExports) {
  struct Case {
    const char* machine;
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
  const Case cases[] = {
      {"matching.json", "1", "2", kPanelAnswers},
      // The Intel object opens whatever the link; no DisplayPort device is attached.
      {"matching.json", "1", "3", "open 0\ndpcd-read -1 00 00 00 00\ntcon-read -1 00\nclose 0\nclosed-read -1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.machine) + " gpu " + c.gpu + " display " + c.display);
    std::filesystem::copy_file(kMachines + c.machine, Path("machine.json"),
                               std::filesystem::copy_options::overwrite_existing);
    const auto run = RunWineWith({{"INVSIM_MACHINE", WindowsPath(Path("machine.json"))}}, kAuxCaller,
                                 {kTconprobe, c.gpu, c.display}, Path(""));
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
