// Runs the platform's private-profile calls for the Wine tests, so that the
// simulated ones can be compared with them on the same files:
//   initool SCRIPT
// Each line of SCRIPT is one call, its fields separated by TAB:
//   read FILE SECTION KEY DEFAULT SIZE   prints "<count>:<hex of the text copied>"
//   write FILE SECTION KEY VALUE         prints 1 or 0
//   delete FILE SECTION KEY              the value null: removes the key
//   erase FILE SECTION                   the key null: removes the section
// One output line per call. FILE is taken from the current directory.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  std::string field;
  while (std::getline(stream, field, '\t')) fields.push_back(field);
  if (!line.empty() && line.back() == '\t') fields.emplace_back();
  return fields;
}

std::string FullPath(const std::string& name) {
  char directory[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, directory);
  return std::string(directory) + "\\" + name;
}

void Run(const std::vector<std::string>& f) {
  const std::string file = f.size() > 1 ? FullPath(f[1]) : std::string();
  if (f[0] == "read" && f.size() == 6) {
    const DWORD size = static_cast<DWORD>(std::strtoul(f[5].c_str(), nullptr, 10));
    std::vector<char> buffer(size + 1, '\x7F');
    const DWORD count = GetPrivateProfileStringA(f[2].c_str(), f[3].c_str(), f[4].c_str(), buffer.data(), size,
                                                 file.c_str());
    std::printf("%lu:", static_cast<unsigned long>(count));
    for (DWORD i = 0; i < count && i < size; ++i) std::printf("%02x", static_cast<unsigned char>(buffer[i]));
  } else if (f[0] == "write" && f.size() == 5) {
    std::printf("%d", WritePrivateProfileStringA(f[2].c_str(), f[3].c_str(), f[4].c_str(), file.c_str()) ? 1 : 0);
  } else if (f[0] == "delete" && f.size() == 4) {
    std::printf("%d", WritePrivateProfileStringA(f[2].c_str(), f[3].c_str(), nullptr, file.c_str()) ? 1 : 0);
  } else if (f[0] == "erase" && f.size() == 3) {
    std::printf("%d", WritePrivateProfileStringA(f[2].c_str(), nullptr, nullptr, file.c_str()) ? 1 : 0);
  } else {
    std::printf("bad line");
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ifstream script(argv[1], std::ios::binary);
  if (!script) return 2;
  std::string line;
  while (std::getline(script, line)) {
    if (!line.empty()) Run(Fields(line));
  }
  return 0;
}
