#include "sim/seam/volume_room.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "sim/core/machine.h"
#include "sim/core/trace.h"

namespace sim {

std::uint64_t TakeRoom(std::uint64_t wanted) {
  const WriteRoom room = Write(CurrentMachine().volume, wanted);
  CurrentMachine().volume = room.after;
  if (room.accepted < wanted) Trace("volume.full wanted=" + std::to_string(wanted) + " stored=" +
                                    std::to_string(room.accepted));
  return room.accepted;
}

void EndIfKilledWhenFull() {
  if (CurrentMachine().volume.whenFull != WhenFull::Kill) return;
  std::fflush(nullptr);  // what the streams hold reaches the disk, as far as it fits
  ::kill(::getpid(), SIGKILL);
}

void ReleaseRoomOf(const std::string& hostPath) {
  struct stat info {};
  if (::stat(hostPath.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    CurrentMachine().volume = Release(CurrentMachine().volume, static_cast<std::uint64_t>(info.st_size));
  }
}

}  // namespace sim
