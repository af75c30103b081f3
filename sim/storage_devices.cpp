#include "sim/storage_devices.h"

#include "platform/files.h"
#include "sim/machine.h"
#include "sim/rst_controller.h"
#include "sim/text_codec.h"

namespace sim {

bool OpenStorageDevice(const std::u16string& name, std::uint32_t access, std::uint32_t share,
                       OpenObject* object, platform::Status* status) {
  Machine& machine = CurrentMachine();
  const std::u16string upper = UpperAscii(name);
  const bool readsOrWrites = (access & (platform::kGenericRead | platform::kGenericWrite)) != 0;
  for (std::size_t i = 0; i < machine.diskList.disks.size(); ++i) {
    const Disk& disk = machine.diskList.disks[i];
    if (UpperAscii(disk.interfacePath) != upper) continue;
    // Raw disk access needs the rights of an administrator.
    if (readsOrWrites && (!disk.readWrite || !machine.administrator)) {
      *status = platform::kErrorAccessDenied;
    } else {
      *status = platform::kSuccess;
      *object = OpenObject{HandleKind::Disk, name, access, share, -1, static_cast<int>(i)};
    }
    return true;
  }
  for (const RstController& controller : machine.rst.list) {
    if (UpperAscii(PortDeviceName(controller.port)) != upper) continue;
    if (controller.heldByOtherProgram || (CountOpen(name) != 0 && share == 0)) {
      *status = platform::kErrorSharingViolation;
    } else {
      *status = platform::kSuccess;
      *object = OpenObject{HandleKind::ScsiPort, name, access, share, -1, controller.port};
    }
    return true;
  }
  return false;
}

}  // namespace sim
