// drivetag.exe and its host facts under Wine, with Wine's real SetupAPI,
// COM and WMI: one Wine prefix for the whole run, kept warm by one
// long-lived client.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/process.h"

extern char** environ;

namespace {

const std::string kWine = "/usr/lib/wine/wine64";
const std::string kWineServer = "/usr/lib/wine/wineserver";
const std::string kDrivetagExe = std::string(SUITE_WIN64_DIR) + "/drivetag/drivetag.exe";
const std::string kProbeExe = std::string(SUITE_WIN64_DIR) + "/tests/windows/host_facts_probe.exe";

class WinePrefix : public ::testing::Environment {
 public:
  void SetUp() override {
    prefix_ = dir_ / "prefix";
    const auto boot = Run({kWine, "wineboot", "-i"}, 180);
    ready_ = boot.exitCode == 0 && std::filesystem::exists(prefix_ + "/drive_c");
    if (ready_) StartWarmClient();
  }
  void TearDown() override {
    if (clientInput_ >= 0) close(clientInput_);  // cmd ends at the end of its input
    if (client_ > 0) {
      int status = 0;
      for (int i = 0; i < 100 && waitpid(client_, &status, WNOHANG) == 0; ++i) usleep(50000);
      kill(-client_, SIGKILL);
      waitpid(client_, &status, 0);
    }
    Run({kWineServer, "-k"}, 30);
  }

  std::map<std::string, std::string> Environment() const {
    return {{"WINEPREFIX", prefix_},
            {"WINEDEBUG", "-all"},
            {"WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"}};
  }
  testsupport::ProcessResult Run(const std::vector<std::string>& argv, int timeout = 60) const {
    return testsupport::RunProcess(argv, Environment(), work_.path(), timeout);
  }
  bool ready() const { return ready_; }
  std::string DriveC() const { return prefix_ + "/drive_c"; }
  const testsupport::TempDir& work() const { return work_; }

 private:
  void StartWarmClient() {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return;
    std::vector<std::string> envStrings;
    for (char** e = environ; *e != nullptr; ++e) envStrings.emplace_back(*e);
    for (const auto& [key, value] : Environment()) envStrings.push_back(key + "=" + value);
    std::vector<char*> envp, args;
    for (auto& s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string wine = kWine, cmd = "cmd";
    args = {wine.data(), cmd.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], 0);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    if (posix_spawn(&client_, kWine.c_str(), &actions, &attributes, args.data(), envp.data()) != 0) {
      client_ = 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(pipeEnds[0]);
    clientInput_ = pipeEnds[1];
  }

  testsupport::TempDir dir_, work_;
  std::string prefix_;
  bool ready_ = false;
  pid_t client_ = 0;
  int clientInput_ = -1;
};

WinePrefix* g_wine = nullptr;

class DrivetagWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kDrivetagExe) || !std::filesystem::exists(kProbeExe)) {
      GTEST_SKIP() << "build the win64 preset first";
    }
    ASSERT_TRUE(g_wine->ready()) << "the Wine prefix could not be made";
  }
  // One property of the last row of a class, as wmic lists it.
  std::string Wmic(const std::string& wmiClass, const std::string& property) {
    const auto run = g_wine->Run({kWine, "wmic", "path", wmiClass, "get", property});
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
  const std::string logFolder = g_wine->DriveC() + "/ProgramData/Orvo/Tallyhub/Log";
  std::filesystem::create_directories(logFolder);
  std::filesystem::remove(logFolder + "/THHOSTMetadata.txt");
  const std::time_t before = std::time(nullptr);
  const auto run = g_wine->Run({kWine, kDrivetagExe});
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
  const std::string folder = g_wine->DriveC() + "/ProgramData/Orvo";
  std::filesystem::remove_all(folder);
  const auto run = g_wine->Run({kWine, kDrivetagExe});
  EXPECT_EQ(run.exitCode, 0) << run.stderrBytes;
  EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(DrivetagWineTest, HostFactsMatchWhatWineWmiReports) {
  const auto run = g_wine->Run({kWine, kProbeExe});
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

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  g_wine = new WinePrefix;
  ::testing::AddGlobalTestEnvironment(g_wine);
  return RUN_ALL_TESTS();
}
