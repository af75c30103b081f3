// DeviceIoControl of the seam: the disks answer IOCTL_SCSI_GET_ADDRESS, the
// RST controllers' ports answer IOCTL_SCSI_MINIPORT.
#include <cstdio>
#include <cstring>

#include "platform/devices.h"
#include "sim/core/handles.h"
#include "sim/core/machine.h"
#include "sim/core/trace.h"
#include "sim/models/storage/rst_controller.h"
#include "sim/core/text_codec.h"

namespace platform {
namespace {

bool Fail(Status status, const std::string& line) {
  sim::Trace(line + " -> " + std::to_string(status));
  sim::SetLastError(status);
  return false;
}

bool GetScsiAddress(const sim::OpenObject& object, void* out, std::uint32_t outSize,
                    std::uint32_t* returned, const std::string& line) {
  const auto& disks = sim::CurrentMachine().diskList.disks;
  if (object.kind != sim::HandleKind::Disk || object.model < 0 ||
      static_cast<std::size_t>(object.model) >= disks.size() ||
      !disks[static_cast<std::size_t>(object.model)].scsiAddress) {
    return Fail(kErrorInvalidFunction, line);
  }
  if (out == nullptr || outSize < sizeof(ScsiAddress)) return Fail(kErrorInsufficientBuffer, line);
  const sim::ScsiAddress& address = *disks[static_cast<std::size_t>(object.model)].scsiAddress;
  const ScsiAddress answer{sizeof(ScsiAddress), address.port, address.path, address.target,
                           address.lun};
  std::memcpy(out, &answer, sizeof answer);
  *returned = sizeof answer;
  sim::Trace(line + " -> 0 port=" + std::to_string(address.port) + " path=" +
             std::to_string(address.path) + " target=" + std::to_string(address.target) +
             " lun=" + std::to_string(address.lun));
  return true;
}

}  // namespace

bool DeviceIoControl(Handle device, std::uint32_t code, const void* in, std::uint32_t inSize,
                     void* out, std::uint32_t outSize, std::uint32_t* returned) {
  std::uint32_t ignored = 0;
  if (returned == nullptr) returned = &ignored;
  *returned = 0;
  sim::OpenObject* object = sim::FindHandle(device);
  std::string line = "ioctl " + sim::HexNumber(code) + " ";
  if (object == nullptr) return Fail(kErrorInvalidHandle, line + "(invalid handle)");
  line += sim::Utf16ToUtf8(object->name);
  if (code == kIoctlScsiGetAddress) return GetScsiAddress(*object, out, outSize, returned, line);
  if (code == kIoctlScsiMiniport && object->kind == sim::HandleKind::ScsiPort) {
    sim::RstController* controller =
        sim::FindController(sim::CurrentMachine().rst, static_cast<std::uint8_t>(object->model));
    if (controller == nullptr) return Fail(kErrorInvalidFunction, line);
    const sim::MiniportAnswer answer =
        sim::MiniportRequest(*controller, static_cast<const std::uint8_t*>(in), inSize,
                             static_cast<std::uint8_t*>(out), outSize);
    if (answer.changed) sim::MarkChanged();
    sim::Trace(answer.trace);
    *returned = answer.returned;
    if (answer.status != 0) {
      sim::SetLastError(static_cast<Status>(answer.status));
      return false;
    }
    return true;
  }
  return Fail(kErrorInvalidFunction, line);
}

}  // namespace platform
