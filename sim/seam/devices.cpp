// DeviceIoControl of the seam: the disks answer IOCTL_SCSI_GET_ADDRESS, the
// RST controllers' ports answer IOCTL_SCSI_MINIPORT.
#include <cstdio>

#include "platform/devices.h"
#include "sim/core/handles.h"
#include "sim/core/machine.h"
#include "sim/models/storage/rst_controller.h"
#include "sim/core/text_codec.h"

namespace platform {
namespace {

constexpr std::uint32_t kIoctlScsiGetAddress = 0x41018;
constexpr std::uint32_t kIoctlScsiMiniport = 0x4D008;
constexpr Status kErrorInvalidFunction = 1;

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
  if (out == nullptr || outSize < 8) return Fail(kErrorInsufficientBuffer, line);
  const sim::ScsiAddress& address = *disks[static_cast<std::size_t>(object.model)].scsiAddress;
  auto* bytes = static_cast<std::uint8_t*>(out);
  bytes[0] = 8;
  bytes[1] = bytes[2] = bytes[3] = 0;
  bytes[4] = address.port;
  bytes[5] = address.path;
  bytes[6] = address.target;
  bytes[7] = address.lun;
  *returned = 8;
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
    sim::RstController* controller = sim::FindController(static_cast<std::uint8_t>(object->model));
    if (controller == nullptr) return Fail(kErrorInvalidFunction, line);
    const std::uint32_t error =
        sim::MiniportRequest(*controller, static_cast<const std::uint8_t*>(in), inSize,
                             static_cast<std::uint8_t*>(out), outSize, returned);
    if (error != 0) {
      sim::SetLastError(static_cast<Status>(error));
      return false;
    }
    return true;
  }
  return Fail(kErrorInvalidFunction, line);
}

}  // namespace platform
