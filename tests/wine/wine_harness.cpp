#include "tests/wine/wine_harness.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "tests/support/build_present.h"

namespace winetest {
namespace {

const char* kWineLoader = "/usr/lib/wine/wine64";

const auto* const kWin64Build = ::testing::AddGlobalTestEnvironment(
    new testsupport::BuildPresent("win64", std::string(SUITE_WIN64_DIR) + "/inventory/cleanupscan.exe"));

std::string ReadPrefix() {
  const char* state = std::getenv("WINE_STATE_DIR");
  if (state == nullptr) return "";
  std::string prefix = testsupport::ReadFile(std::string(state) + "/prefix");
  while (!prefix.empty() && (prefix.back() == '\n' || prefix.back() == '\r')) prefix.pop_back();
  return prefix;
}

const char* ViewArgument(View view) { return view == View::Bits32 ? "32" : "64"; }

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

void RunRegTool(const std::vector<std::string>& arguments) {
  testsupport::TempDir dir;
  const auto result = RunWine(Win64Path("tests/windows/regtool.exe"), arguments, dir.path());
  ASSERT_EQ(result.exitCode, 0) << "regtool " << arguments[0] << " " << arguments[2];
}

}  // namespace

const std::string& Prefix() {
  static const std::string prefix = ReadPrefix();
  return prefix;
}

testsupport::ProcessResult RunWine(const std::string& exe, const std::vector<std::string>& arguments,
                                   const std::string& workingDir, int timeoutSeconds) {
  return RunWineWith({}, exe, arguments, workingDir, timeoutSeconds);
}

testsupport::ProcessResult RunWineWith(const std::map<std::string, std::string>& environment,
                                       const std::string& exe, const std::vector<std::string>& arguments,
                                       const std::string& workingDir, int timeoutSeconds) {
  std::vector<std::string> argv{kWineLoader, exe};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::map<std::string, std::string> merged = WineEnvironment();
  for (const auto& [key, value] : environment) merged[key] = value;
  return testsupport::RunProcess(argv, merged, workingDir, timeoutSeconds);
}

std::string WindowsPath(const std::string& hostPath) {
  std::string path = "Z:" + hostPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::map<std::string, std::string> WineEnvironment() {
  return {{"WINEPREFIX", Prefix()},
          {"WINEDEBUG", "-all"},
          {"WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"}};
}

testsupport::ProcessResult RunWineInTerminal(const std::string& exe, const std::vector<std::string>& arguments,
                                             const std::string& workingDir) {
  std::string command = std::string(kWineLoader) + " '" + exe + "'";
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  testsupport::ProcessResult result =
      testsupport::RunProcess({"/usr/bin/script", "-qec", command, "/dev/null"}, WineEnvironment(), workingDir, 120);
  // What the terminal showed: cursor show and hide dropped, a cursor move
  // right as blanks, other sequences and carriage returns dropped.
  std::string text;
  const std::string& raw = result.stdoutBytes;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r') continue;
    if (raw[i] != '\x1b' || i + 1 >= raw.size() || raw[i + 1] != '[') {
      text += raw[i];
      continue;
    }
    std::size_t end = i + 2;
    while (end < raw.size() && !(raw[end] >= '@' && raw[end] <= '~')) ++end;
    if (end < raw.size() && raw[end] == 'C') text.append(std::max(1, std::atoi(raw.c_str() + i + 2)), ' ');
    i = end;
  }
  result.stdoutBytes = text;
  return result;
}

std::string Win64Path(const std::string& relative) { return std::string(SUITE_WIN64_DIR) + "/" + relative; }

void SetValue(View view, const std::string& key, const std::string& name, unsigned type,
              const std::string& hexBytes) {
  RunRegTool({"set", ViewArgument(view), key, name, std::to_string(type), hexBytes});
}

void SetString(View view, const std::string& key, const std::string& name, const std::string& ascii) {
  std::string utf16;
  for (char c : ascii) {
    utf16 += c;
    utf16 += '\0';
  }
  SetValue(view, key, name, 1, Hex(utf16 + std::string(2, '\0')));
}

std::string GetValue(View view, const std::string& key, const std::string& name) {
  testsupport::TempDir dir;
  const auto result = RunWine(Win64Path("tests/windows/regtool.exe"),
                              {"get", ViewArgument(view), key, name}, dir.path());
  EXPECT_EQ(result.exitCode, 0);
  return result.stdoutBytes;
}

void DeleteKey(View view, const std::string& key) { RunRegTool({"delete", ViewArgument(view), key}); }

std::string NowStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  localtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
  return text;
}

void WineTest::SetUp() {
  ASSERT_FALSE(Prefix().empty()) << "no Wine prefix: run through ctest, whose fixture makes one";
}

}  // namespace winetest
