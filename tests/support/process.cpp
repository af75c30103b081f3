#include "tests/support/process.h"

#include "common/utf16le.h"
#include "sim/core/text_codec.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace testsupport {

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& environment,
                         const std::string& workingDir, int timeoutSeconds) {
  ProcessResult result;
  TempDir outputs;
  const std::string outPath = outputs / "stdout", errPath = outputs / "stderr";

  std::map<std::string, std::string> merged;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const auto eq = entry.find('=');
    if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [key, value] : environment) merged[key] = value;
  std::vector<std::string> envStrings;
  for (const auto& [key, value] : merged) envStrings.push_back(key + "=" + value);
  std::vector<char*> envp, args;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argCopy = argv;
  for (auto& s : argCopy) args.push_back(s.data());
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!workingDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0], &actions, &attributes, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) return result;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  int status = 0;
  while (true) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(-pid, SIGKILL);
      waitpid(pid, &status, 0);
      result.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!result.timedOut && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.stdoutBytes = ReadFile(outPath);
  result.stderrBytes = ReadFile(errPath);
  return result;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != 0 ? base : "/tmp") + "/invtest.XXXXXX";
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string TestNameOfFile(const std::string& fileName) {
  std::string name = fileName.substr(0, fileName.find('.'));
  for (char& c : name) {
    if (c == '-') c = '_';
  }
  return name;
}

std::string Utf16LeToUtf8(const std::string& bytes) {
  std::u16string wide;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    wide += common::Utf16LeUnit(reinterpret_cast<const std::uint8_t*>(&bytes[i]));
  }
  return sim::Utf16ToUtf8(wide);
}

std::string Utf8ToUtf16Le(const std::string& text) {
  const std::vector<std::uint8_t> bytes = common::Utf16LeBytes(sim::Utf8ToUtf16(text));
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace testsupport
