#include "tests/inspection/pe_headers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
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

std::uint32_t Read32(const std::string& bytes, std::size_t at) {
  if (at + 4 > bytes.size()) return 0;
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

std::uint16_t Read16(const std::string& bytes, std::size_t at) {
  if (at + 2 > bytes.size()) return 0;
  std::uint16_t value = 0;
  std::memcpy(&value, bytes.data() + at, 2);
  return value;
}

}  // namespace

std::string ReadResource(const std::string& pe, std::uint32_t type, std::uint32_t id) {
  const std::uint32_t header = Read32(pe, 0x3C);
  const std::uint16_t sections = Read16(pe, header + 6);
  const std::uint16_t optionalSize = Read16(pe, header + 20);
  std::size_t table = header + 24 + optionalSize;
  std::uint32_t rsrcRva = 0, rsrcRaw = 0;
  for (std::uint16_t i = 0; i < sections; ++i, table += 40) {
    if (pe.compare(table, 5, ".rsrc") == 0) {
      rsrcRva = Read32(pe, table + 12);
      rsrcRaw = Read32(pe, table + 20);
    }
  }
  if (rsrcRaw == 0) return "";
  // Finds the entry with this id in a directory; returns its offset field.
  auto entry = [&](std::uint32_t directory, std::uint32_t wanted, bool any) -> std::uint32_t {
    const std::size_t at = rsrcRaw + directory;
    const unsigned count = Read16(pe, at + 12) + Read16(pe, at + 14);
    for (unsigned i = 0; i < count; ++i) {
      const std::size_t item = at + 16 + 8 * i;
      if (any || Read32(pe, item) == wanted) return Read32(pe, item + 4);
    }
    return 0;
  };
  const std::uint32_t types = entry(0, type, false);
  if ((types & 0x80000000u) == 0) return "";
  const std::uint32_t names = entry(types & 0x7FFFFFFFu, id, false);
  if ((names & 0x80000000u) == 0) return "";
  const std::uint32_t data = entry(names & 0x7FFFFFFFu, 0, true);
  const std::uint32_t rva = Read32(pe, rsrcRaw + data), size = Read32(pe, rsrcRaw + data + 4);
  const std::size_t offset = rsrcRaw + (rva - rsrcRva);
  return offset + size <= pe.size() ? pe.substr(offset, size) : "";
}


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
