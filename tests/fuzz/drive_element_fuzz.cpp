// drivetag's read-back of one host metadata element from a drive that
// answers with any value and any fault (failed exchange, short receive,
// wrong byte count, other ReturnCode): the value read is exactly the bytes
// that arrived, up to the first zero, at most the 122-byte value area.
#include <string>

#include "drivetag/feature_commands.h"
#include "drivetag/facts_table.h"
#include "platform/files.h"
#include "sim/core/machine.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

constexpr char kMachine[] = R"({"localTime": "2024-03-05T07:08:09",
  "disks": [{"path": "\\\\?\\scsi#disk&ven_nvme&prod_drive0#4&1&0&000000#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}",
             "enumerator": "SCSI", "scsiAddress": {"port": 2, "path": 0, "target": 0, "lun": 0}}],
  "rstControllers": [{"port": 2, "drives": [{"path": 0, "target": 0, "lun": 0}]}]})";
constexpr char16_t kDiskPath[] =
    u"\\\\?\\scsi#disk&ven_nvme&prod_drive0#4&1&0&000000#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
constexpr std::size_t kAnswerBytes = 128;  // what a Get Features answer carries
constexpr std::size_t kValueAt = 6;

platform::Handle OpenDrive() {
  std::string error;
  if (!sim::UseMachineText(kMachine, "", &error)) __builtin_trap();
  return platform::CreateFileW(kDiskPath, platform::kGenericRead | platform::kGenericWrite,
                               platform::kFileShareRead | platform::kFileShareWrite, platform::kOpenExisting, 0);
}

std::uint32_t Number(FuzzInput& input, int bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(input.Byte()) << (8 * i);
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const platform::Handle drive = OpenDrive();
  FUZZ_CHECK(drive != platform::kInvalidHandle);
  FuzzInput input(data, size);
  const int type = drivetag::kElementFields[input.Byte() % 10].type;
  const std::uint8_t flags = input.Byte();
  sim::CommandFault fault;
  fault.fail = (flags & 1) != 0;
  if (flags & 2) fault.dataBytes = Number(input, 1);
  if (flags & 4) fault.bytesReturned = Number(input, 4);
  if (flags & 8) fault.returnCode = Number(input, 4);
  const std::string element = input.Bytes(122);  // the most an element holds

  sim::NvmeDrive& model = sim::CurrentMachine().rst.list[0].drives[0];
  model.elements[type].assign(element.begin(), element.end());
  model.getFaults.clear();
  model.getFaults[type] = fault;

  std::string value = "unchanged";
  const bool read = drivetag::GetHostMetadata(drive, type, &value);
  FUZZ_CHECK(read == !fault.fail);
  if (!read) return 0;
  const std::size_t arrived = fault.dataBytes ? std::min<std::size_t>(*fault.dataBytes, kAnswerBytes) : kAnswerBytes;
  const std::string delivered = arrived > kValueAt ? element.substr(0, arrived - kValueAt) : "";
  FUZZ_CHECK(value == delivered.substr(0, delivered.find('\0')));
  return 0;
}
