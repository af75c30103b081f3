#include "sim/models/volume/free_space.h"

namespace sim {

WriteRoom Write(const FreeSpace& space, std::uint64_t wanted) {
  if (!space.bytes) return {wanted, space};
  const std::uint64_t accepted = wanted < *space.bytes ? wanted : *space.bytes;
  FreeSpace after = space;
  *after.bytes -= accepted;
  return {accepted, after};
}

FreeSpace Release(const FreeSpace& space, std::uint64_t size) {
  FreeSpace after = space;
  if (after.bytes) *after.bytes += size;
  return after;
}

}  // namespace sim
