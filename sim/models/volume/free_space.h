#pragma once
#include <cstdint>
#include <optional>

// The free space of the volume the programs write their files to. Unset: as
// much as the host has. When a write needs more than is left, it stores what
// fits and fails with ERROR_DISK_FULL, or the process is killed in the
// middle of it (a power cut, an end task).
namespace sim {

enum class WhenFull { Fail, Kill };

struct FreeSpace {
  std::optional<std::uint64_t> bytes;
  WhenFull whenFull = WhenFull::Fail;
};

// How much of a write of `wanted` bytes the volume takes, and what is left.
struct WriteRoom {
  std::uint64_t accepted;
  FreeSpace after;
};
WriteRoom Write(const FreeSpace& space, std::uint64_t wanted);

// A file of `size` bytes deleted or truncated: its space is free again.
FreeSpace Release(const FreeSpace& space, std::uint64_t size);

}  // namespace sim
