#pragma once
#include <cstdint>
#include <string>

#include "platform/files.h"

// Handles that the simulated CreateFileW hands out.
namespace sim {

enum class HandleKind { File, Device, Disk, ScsiPort };

struct OpenObject {
  HandleKind kind = HandleKind::File;
  std::u16string name;  // as the program passed it
  std::uint32_t access = 0;
  std::uint32_t share = 0;
  int fd = -1;  // File: the host file
  int model = -1;  // Disk: index in the disk list; ScsiPort: port number
};

platform::Handle AddHandle(const OpenObject& object);
OpenObject* FindHandle(platform::Handle handle);
bool RemoveHandle(platform::Handle handle);
// Open handles whose name matches, ignoring case (for share modes).
int CountOpen(const std::u16string& name);

void SetLastError(platform::Status status);
// Closes every handle and clears the last error, for a new machine.
void ResetHandles();

}  // namespace sim
