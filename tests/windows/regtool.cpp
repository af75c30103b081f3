// Prepares and reads registry values with exact bytes for the Wine tests:
//   regtool set 32|64 KEY NAME TYPE HEX   (KEY below HKLM)
//   regtool get 32|64 KEY NAME            prints "type=T size=N hex=..." or "missing"
//   regtool delete 32|64 KEY              removes the key and its subkeys
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

REGSAM View(const wchar_t* view) { return std::wcscmp(view, L"64") == 0 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY; }

int Set(wchar_t** argv) {
  std::vector<BYTE> bytes;
  const std::wstring hex = argv[6];
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<BYTE>(std::wcstoul(hex.substr(i, 2).c_str(), nullptr, 16)));
  }
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, argv[3], 0, nullptr, 0, KEY_WRITE | View(argv[2]), nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return 1;
  }
  const LSTATUS status = RegSetValueExW(key, argv[4], 0, std::wcstoul(argv[5], nullptr, 10),
                                        bytes.empty() ? nullptr : bytes.data(),
                                        static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? 0 : 1;
}

int Get(wchar_t** argv) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, argv[3], 0, KEY_READ | View(argv[2]), &key) != ERROR_SUCCESS) {
    std::printf("missing");
    return 0;
  }
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, argv[4], nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    RegCloseKey(key);
    std::printf("missing");
    return 0;
  }
  std::vector<BYTE> bytes(size + 1);
  RegQueryValueExW(key, argv[4], nullptr, &type, bytes.data(), &size);
  RegCloseKey(key);
  std::printf("type=%lu size=%lu hex=", type, size);
  for (DWORD i = 0; i < size; ++i) std::printf("%02x", bytes[i]);
  return 0;
}

int Delete(wchar_t** argv) {
  const LSTATUS status = RegDeleteKeyExW(HKEY_LOCAL_MACHINE, argv[3], View(argv[2]), 0);
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return 0;
  // A key with subkeys: empty it first.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, argv[3], 0, KEY_ALL_ACCESS | View(argv[2]), &key) != ERROR_SUCCESS) return 1;
  RegDeleteTreeW(key, nullptr);
  RegCloseKey(key);
  return RegDeleteKeyExW(HKEY_LOCAL_MACHINE, argv[3], View(argv[2]), 0) == ERROR_SUCCESS ? 0 : 1;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 4) return 2;
  const std::wstring command = argv[1];
  if (command == L"set" && argc == 7) return Set(argv);
  if (command == L"get" && argc == 5) return Get(argv);
  if (command == L"delete" && argc == 4) return Delete(argv);
  return 2;
}
