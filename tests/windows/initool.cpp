// Runs the platform's private-profile calls for the Wine tests, so that the
// simulated ones can be compared with them on the same files:
//   initool read FILE SECTION KEY DEFAULT SIZE   prints "<count>:<hex of the buffer's text>"
//   initool write FILE SECTION KEY VALUE         prints 1 or 0
//   initool delete FILE SECTION KEY              the key's value null: removes the key
//   initool erase FILE SECTION                   the key null: removes the section
// A FILE without a folder is taken from the current directory.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string FullPath(const char* name) {
  if (std::strchr(name, '\\') != nullptr || std::strchr(name, '/') != nullptr) return name;
  char directory[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, directory);
  return std::string(directory) + "\\" + name;
}

int Read(char** argv) {
  const std::string file = FullPath(argv[2]);
  const DWORD size = static_cast<DWORD>(std::strtoul(argv[6], nullptr, 10));
  std::vector<char> buffer(size + 1, '\x7F');
  const DWORD count = GetPrivateProfileStringA(argv[3], argv[4], argv[5], buffer.data(), size, file.c_str());
  std::printf("%lu:", static_cast<unsigned long>(count));
  for (DWORD i = 0; i < count && i < size; ++i) std::printf("%02x", static_cast<unsigned char>(buffer[i]));
  return 0;
}

int Write(const char* name, const char* section, const char* key, const char* value) {
  const std::string file = FullPath(name);
  std::printf("%d", WritePrivateProfileStringA(section, key, value, file.c_str()) ? 1 : 0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 7 && std::strcmp(argv[1], "read") == 0) return Read(argv);
  if (argc == 6 && std::strcmp(argv[1], "write") == 0) return Write(argv[2], argv[3], argv[4], argv[5]);
  if (argc == 5 && std::strcmp(argv[1], "delete") == 0) return Write(argv[2], argv[3], argv[4], nullptr);
  if (argc == 4 && std::strcmp(argv[1], "erase") == 0) return Write(argv[2], argv[3], nullptr, nullptr);
  return 2;
}
