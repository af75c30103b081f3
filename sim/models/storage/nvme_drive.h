#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// An NVMe drive behind the RST controller: Identify Controller data and the
// host metadata elements of feature DAh, with faults that can be injected
// per command and per element type.
namespace sim {

struct CommandFault {
  bool fail = false;                           // the exchange fails
  std::optional<std::uint32_t> dataBytes;      // fewer data bytes than asked arrive
  std::optional<std::uint32_t> bytesReturned;  // the count the IOCTL reports
  std::optional<std::uint32_t> returnCode;     // the ReturnCode answered (not stored unless 1)
};

struct NvmeCommandDwords {
  std::uint8_t opcode = 0;
  std::uint32_t nsid = 0;
  std::uint32_t cdw[16] = {};  // cdw[10] .. cdw[15] are the ones the host sets
};

struct NvmeAnswer {
  bool ok = false;
  std::uint32_t returnCode = 1;
  std::uint32_t dataBytes = 0;  // how many bytes of the data area were written
  std::optional<std::uint32_t> bytesReturned;
  std::string refusal;  // why the exchange failed
};

struct NvmeDrive {
  std::uint8_t path = 0, target = 0, lun = 0;
  std::vector<std::uint8_t> identify = std::vector<std::uint8_t>(4096, 0);
  std::map<int, std::vector<std::uint8_t>> elements;  // value bytes without trailing zeros
  std::optional<CommandFault> identifyFault;
  std::map<int, CommandFault> getFaults, setFaults;  // by element type; 0: every type

  // Runs one admin command over the data area (read or written in place).
  NvmeAnswer Execute(const NvmeCommandDwords& command, std::uint8_t* data, std::uint32_t length,
                     bool* changed);
};

inline constexpr std::size_t kElementValueBytes = 122;

}  // namespace sim
