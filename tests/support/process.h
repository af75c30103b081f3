#pragma once
#include <map>
#include <string>
#include <vector>

namespace testsupport {

struct ProcessResult {
  int exitCode = -1;     // -1: did not end in time, or could not start
  bool timedOut = false;
  std::string stdoutBytes;
  std::string stderrBytes;
};

// Runs argv[0] with the given extra environment and working folder. Output
// goes to files, never pipes: a child's helpers may keep a pipe open long
// after it ended.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& environment,
                         const std::string& workingDir, int timeoutSeconds = 60);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// A fresh folder below the system's temporary folder, removed by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A test name made of a file name: "fresh-install.json" gives fresh_install.
std::string TestNameOfFile(const std::string& fileName);

// UTF-8 text from UTF-16LE bytes, for reading the wide inventory documents.
std::string Utf16LeToUtf8(const std::string& bytes);
std::string Utf8ToUtf16Le(const std::string& text);

}  // namespace testsupport
