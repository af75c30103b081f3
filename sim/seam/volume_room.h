#pragma once
#include <cstdint>
#include <string>

// The machine's free space applied to the files the seam writes.
namespace sim {

// How many of `wanted` bytes the volume takes; the rest does not fit.
std::uint64_t TakeRoom(std::uint64_t wanted);
// A write was cut short by a full volume: on a machine that is killed then,
// the process ends here, with what was stored so far on disk.
void EndIfKilledWhenFull();
// A host file about to be deleted or truncated gives its space back.
void ReleaseRoomOf(const std::string& hostPath);

}  // namespace sim
