#include "tests/inspection/pe_headers.h"

#include <algorithm>
#include <cstdio>
#include <regex>
#include <sstream>

#include "tests/support/process.h"

namespace {

std::string Run(const std::vector<std::string>& argv) {
  testsupport::TempDir dir;
  return testsupport::RunProcess(argv, {}, dir.path()).stdoutBytes;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

PeFacts ReadPeFacts(const std::string& exePath) {
  PeFacts facts;
  const std::string objdump = "/usr/bin/i686-w64-mingw32-objdump";
  facts.dump = Run({objdump, "-p", exePath});
  const std::string header = Run({objdump, "-f", exePath});
  std::smatch m;
  if (std::regex_search(facts.dump, m, std::regex("file format (\\S+)"))) facts.format = m[1];
  if (std::regex_search(header, m, std::regex("architecture: ([^,\\s]+)"))) facts.architecture = m[1];
  if (std::regex_search(facts.dump, m, std::regex("Magic\\s+([0-9a-fA-F]+)"))) facts.magic = m[1];
  if (std::regex_search(facts.dump, m, std::regex("Subsystem\\s+([0-9a-fA-F]+)"))) {
    facts.subsystem = std::stoi(m[1], nullptr, 16);
  }
  std::istringstream lines(facts.dump);
  std::string line;
  bool inResources = false;
  while (std::getline(lines, line)) {
    if (std::regex_search(line, m, std::regex("DLL Name: (\\S+)"))) facts.importedDlls.push_back(Lower(m[1]));
    if (line.find("Resource Directory section") != std::string::npos) inResources = true;
    // Entries of the type table stand three blanks in.
    if (inResources && std::regex_search(line, m, std::regex("^[0-9a-f]+   Entry: ID: 0x([0-9a-f]+)"))) {
      facts.resourceTypes.insert(static_cast<unsigned>(std::stoul(m[1], nullptr, 16)));
    }
  }
  facts.readable = !facts.format.empty();
  return facts;
}

bool IsAllowedSystemDll(const std::string& name) {
  static const std::set<std::string> kAllowed = {
      "kernel32.dll", "advapi32.dll", "user32.dll", "shell32.dll", "ole32.dll",  "oleaut32.dll",
      "setupapi.dll", "msi.dll",      "version.dll", "msvcrt.dll", "ucrtbase.dll"};
  return kAllowed.count(name) != 0 || name.rfind("api-ms-win-crt-", 0) == 0;
}
