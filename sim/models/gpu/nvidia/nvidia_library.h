#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/nvidia_api.h"
#include "sim/models/panel/panel.h"

// The NVIDIA display library: physical GPUs with their displays (connector
// type, display handle), and AUX transactions to the panel carried in a
// 104-byte record. Every answer can be made to fail; a machine may also
// lack the library or some of its names (the adapters decide that).
namespace sim::nvidia {

namespace api = platform::nvidia_api;

// The library's own statuses; any value but 0 is a failure.
inline constexpr api::Status kOk = 0;
inline constexpr api::Status kError = -1;
inline constexpr api::Status kNotImplemented = -3;
inline constexpr api::Status kNotInitialised = -4;
inline constexpr api::Status kInvalidArgument = -5;
inline constexpr api::Status kUnknownHandle = -8;
inline constexpr api::Status kWrongVersion = -9;
inline constexpr api::Status kBufferTooSmall = -140;
inline constexpr api::Status kBusNack = -160;
inline constexpr api::Status kBusDefer = -161;

struct Display {
  std::uint32_t id = 0;
  std::uint32_t connector = 0;  // 71 eDP, 70 DisplayPort, ...
  std::uint32_t handle = 0;
  bool connected = true;  // only connected displays are listed
  bool panel = true;      // the panel sits behind it; any other sink NACKs every transaction
  api::Status connectorInfoStatus = kOk;  // what the connector info query of it answers
  api::Status handleStatus = kOk;         // what the display handle query of it answers
};

struct Gpu {
  std::uint32_t handle = 0;
  std::vector<Display> displays;
};

// Statuses forced on calls, in place of their own answer.
struct Failures {
  api::Status initialize = kOk;
  api::Status unload = kOk;
  api::Status enumPhysicalGpus = kOk;
  api::Status displayCount = kOk;  // the display id query without a list
  api::Status displayList = kOk;   // the display id query with a list
};

// A fault on AUX transaction `at` (counted from 1) and the `times` - 1
// after it (0: every one from `at` on): a status answered without reaching
// the bus, or a byte count left in the record after it.
struct AuxFault {
  std::uint64_t at = 1;
  std::uint64_t times = 1;
  std::optional<api::Status> status;
  std::optional<std::uint32_t> byteCount;
};

struct Library {
  std::vector<Gpu> gpus;
  std::vector<std::string> missingNames;  // names the library does not export
  Failures failures;
  // Counts the display id query hands back instead of the true ones.
  std::optional<std::uint32_t> reportedDisplayCount;  // without a list
  std::optional<std::uint32_t> listedDisplayCount;    // with a list, after filling it
  std::vector<AuxFault> auxFaults;
  // State.
  bool initialised = false;
  std::uint64_t auxTransactions = 0;
};

api::Status Initialize(Library& library);
api::Status Unload(Library& library);
api::Status EnumPhysicalGpus(const Library& library, std::uint32_t* handles, std::uint32_t* count);
// list null: *count = the connected displays. Else fills at most *count
// entries; too few entries fail with kBufferTooSmall.
api::Status GetConnectedDisplayIds(const Library& library, std::uint32_t gpu,
                                   api::DisplayIdEntry* list, std::uint32_t* count);
api::Status GetConnectorInfo(const Library& library, std::uint32_t gpu, std::uint32_t displayId,
                             api::ConnectorInfo* info);
api::Status GetDisplayHandle(const Library& library, std::uint32_t displayId,
                             std::uint32_t* handle);

// What an AUX call did, with the bus transaction it made, if any.
struct AuxAnswer {
  api::Status status = kOk;
  bool busUsed = false;
  panel::AuxRequest request;
  panel::AuxAnswer bus;
};
// One AUX transaction on the display of the handle, at the given time
// (microseconds); a read leaves its bytes and their count in the record.
AuxAnswer DpAuxChannelControl(Library& library, panel::Panel& panel, std::uint64_t now,
                              std::uint32_t display, api::AuxRecord* record);

}  // namespace sim::nvidia
