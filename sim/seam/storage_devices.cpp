#include "sim/seam/storage_devices.h"

#include "common/ascii_case.h"
#include "platform/files.h"
#include "sim/core/machine.h"
#include "sim/models/storage/rst_controller.h"
#include "sim/core/text_codec.h"

namespace sim {
namespace {

// Device names compare without regard to case (ASCII letters only).
bool SameName(const std::u16string& a, const std::u16string& b) {
  return common::SameIgnoringAsciiCase(a, b);
}

}  // namespace

bool OpenStorageDevice(const std::u16string& name, std::uint32_t access, std::uint32_t share,
                       OpenObject* object, platform::Status* status) {
  Machine& machine = CurrentMachine();
  const bool readsOrWrites = (access & (platform::kGenericRead | platform::kGenericWrite)) != 0;
  for (std::size_t i = 0; i < machine.diskList.disks.size(); ++i) {
    const Disk& disk = machine.diskList.disks[i];
    if (!SameName(disk.interfacePath, name)) continue;
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
    if (!SameName(PortDeviceName(controller.port), name)) continue;
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
