#pragma once
#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "tests/support/process.h"

// Runs the 64-bit Windows build under Wine in the prefix that the CTest
// fixture made for this test run (its folder is named in WINE_STATE_DIR).
namespace winetest {

// The prefix of this run; empty when the fixture did not make one.
const std::string& Prefix();

// Runs a Windows program under wine64 in workingDir; output goes to files.
testsupport::ProcessResult RunWine(const std::string& exe, const std::vector<std::string>& arguments,
                                   const std::string& workingDir, int timeoutSeconds = 120);

// The same with more environment, such as the machine file of the GPU
// stand-ins (sim/windows).
testsupport::ProcessResult RunWineWith(const std::map<std::string, std::string>& environment,
                                       const std::string& exe, const std::vector<std::string>& arguments,
                                       const std::string& workingDir, int timeoutSeconds = 120);

// A host path as a Wine program names it, on the drive Z: that is the host's root.
std::string WindowsPath(const std::string& hostPath);

// The environment of every Wine run in this prefix.
std::map<std::string, std::string> WineEnvironment();

// Runs a program under wine64 on a terminal of its own (script -qec), so
// that a windowed program can attach to its console; stdoutBytes is the
// text the terminal showed, without escape sequences and carriage returns.
testsupport::ProcessResult RunWineInTerminal(const std::string& exe, const std::vector<std::string>& arguments,
                                             const std::string& workingDir);

// Path of a file that the 64-bit Windows build produced.
std::string Win64Path(const std::string& relative);

// Registry of the prefix, below HKEY_LOCAL_MACHINE, in the 32- or 64-bit view.
enum class View { Bits32, Bits64 };
void SetValue(View view, const std::string& key, const std::string& name, unsigned type,
              const std::string& hexBytes);
void SetString(View view, const std::string& key, const std::string& name, const std::string& ascii);
// "type=T size=N hex=..." or "missing".
std::string GetValue(View view, const std::string& key, const std::string& name);
void DeleteKey(View view, const std::string& key);

// A local time stamp "YYYY-MM-DDTHH:MM:SS" of now, for bracketing a run.
std::string NowStamp();

// Each test gets a fresh working folder; a missing prefix fails the test.
class WineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  std::string Path(const std::string& name) const { return dir_ / name; }
  std::string Read(const std::string& name) const { return testsupport::ReadFile(Path(name)); }
  testsupport::ProcessResult Run(const std::string& exe, const std::vector<std::string>& arguments) {
    return RunWine(exe, arguments, dir_.path());
  }

 private:
  testsupport::TempDir dir_;
};

}  // namespace winetest
