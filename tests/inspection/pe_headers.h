#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

// What `objdump -p` and `objdump -f` tell of a 32-bit deliverable.
struct PeFacts {
  bool readable = false;
  std::string format;        // "pei-i386"
  std::string architecture;  // "i386"
  std::string magic;         // "010b" for PE32
  int subsystem = -1;        // 2 windowed, 3 console
  std::vector<std::string> importedDlls;  // lower case
  std::set<unsigned> resourceTypes;       // 16 version, 24 manifest
  std::string dump;          // the whole `objdump -p` text
};

PeFacts ReadPeFacts(const std::string& exePath);

// The data of a resource (type and id, first language) read from the PE
// file's resource section, or "" when it has none.
std::string ReadResource(const std::string& pe, std::uint32_t type, std::uint32_t id);

// The DLLs a deliverable may import: system DLLs only.
bool IsAllowedSystemDll(const std::string& lowerCaseName);
