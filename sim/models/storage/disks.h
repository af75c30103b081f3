#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The machine's disks as SetupAPI lists them under the disk device interface.
namespace sim {

struct ScsiAddress {
  std::uint8_t port = 0, path = 0, target = 0, lun = 0;
};

struct Disk {
  std::u16string interfacePath;  // the device path that CreateFileW opens
  // The SPDRP_ENUMERATOR_NAME property as stored (REG_SZ bytes, normally
  // with their terminator); none: the property cannot be read.
  std::optional<std::vector<std::uint8_t>> enumeratorName;
  int enumeratorRefusals = 0;                        // reads answered "too small" regardless
  std::optional<std::uint32_t> enumeratorReported;   // the size a "too small" answer reports
  bool readWrite = true;                             // false: opening for read and write is refused
  std::optional<ScsiAddress> scsiAddress;            // none: IOCTL_SCSI_GET_ADDRESS fails
  std::uint32_t interfaceError = 0;  // SetupDiEnumDeviceInterfaces fails with this at its index
  std::uint32_t detailError = 0;     // SetupDiGetDeviceInterfaceDetailW fails with this
};

struct DiskList {
  std::uint32_t classDevsError = 0;  // SetupDiGetClassDevsW fails with this
  std::vector<Disk> disks;
};

}  // namespace sim
