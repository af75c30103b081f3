#include "sim/models/gpu/nvidia/nvidia_file.h"

#include <cstdint>
#include <limits>

namespace sim {
// Named, so the machine file's readers can be compiled as one unit.
namespace nvidia_file {

namespace api = platform::nvidia_api;

// A status as the library returns it: a whole number, negative ones
// included, or "0x" and the 32 bits in hexadecimal.
bool Status(const Json& value, const std::string& where, api::Status* out, std::string* error) {
  if (value.is_number_integer() && value.get<long long>() >= std::numeric_limits<api::Status>::min() &&
      value.get<long long>() <= std::numeric_limits<api::Status>::max()) {
    *out = value.get<api::Status>();
    return true;
  }
  std::uint32_t bits = 0;
  if (value.is_string() && ExpectNumberOrHex(value, where, 0xFFFFFFFFu, &bits, error)) {
    *out = static_cast<api::Status>(bits);
    return true;
  }
  *error = where + " must be a 32-bit whole number, or 0x and hexadecimal digits";
  return false;
}

bool Word(const Json& value, const std::string& where, std::uint32_t* out, std::string* error) {
  return ExpectNumberOrHex(value, where, 0xFFFFFFFFu, out, error);
}

bool LoadDisplay(const Json& value, const std::string& where, nvidia::Display& display,
                 std::string* error) {
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  if (!value.contains("id") || !value.contains("connector")) {
    *error = where + " needs \"id\" and \"connector\"";
    return false;
  }
  for (const auto& [key, item] : value.items()) {
    const std::string at = where + " \"" + key + "\"";
    bool loaded = false;
    if (key == "id") loaded = Word(item, at, &display.id, error);
    else if (key == "connector") loaded = Word(item, at, &display.connector, error);
    else if (key == "handle") loaded = Word(item, at, &display.handle, error);
    else if (key == "connected") loaded = ExpectFlag(item, at, &display.connected, error);
    else if (key == "panel") loaded = ExpectFlag(item, at, &display.panel, error);
    else if (key == "connectorInfoStatus") loaded = Status(item, at, &display.connectorInfoStatus, error);
    else if (key == "handleStatus") loaded = Status(item, at, &display.handleStatus, error);
    else return UnknownKey(where, key, error);
    if (!loaded) return false;
  }
  return true;
}

// Handles that the file leaves out are told apart by where they stand.
bool LoadGpu(const Json& value, const std::string& where, std::size_t gpuIndex,
             std::uint32_t* displaysBefore, nvidia::Gpu& gpu, std::string* error) {
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  gpu.handle = static_cast<std::uint32_t>(0x00100000u * (gpuIndex + 1));
  for (const auto& [key, item] : value.items()) {
    if (key == "handle") {
      if (!Word(item, where + " \"handle\"", &gpu.handle, error)) return false;
    } else if (key == "displays") {
      if (!ExpectType(item, Json::value_t::array, where + " \"displays\"", error)) return false;
      for (std::size_t i = 0; i < item.size(); ++i) {
        nvidia::Display display;
        display.handle = 0x00200000u + ++*displaysBefore;
        if (!LoadDisplay(item[i], where + " display " + std::to_string(i), display, error))
          return false;
        gpu.displays.push_back(display);
      }
    } else {
      return UnknownKey(where, key, error);
    }
  }
  return true;
}

bool LoadFailures(const Json& value, const std::string& where, nvidia::Failures& failures,
                  std::string* error) {
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  for (const auto& [key, item] : value.items()) {
    api::Status* target = key == "initialize"         ? &failures.initialize
                          : key == "unload"           ? &failures.unload
                          : key == "enumPhysicalGpus" ? &failures.enumPhysicalGpus
                          : key == "displayCount"     ? &failures.displayCount
                          : key == "displayList"      ? &failures.displayList
                                                      : nullptr;
    if (target == nullptr) return UnknownKey(where, key, error);
    if (!Status(item, where + " \"" + key + "\"", target, error)) return false;
  }
  return true;
}

bool LoadAuxFault(const Json& value, const std::string& where, nvidia::AuxFault& fault,
                  std::string* error) {
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  for (const auto& [key, item] : value.items()) {
    const std::string at = where + " \"" + key + "\"";
    std::uint32_t number = 0;
    if (key == "status") {
      api::Status status = 0;
      if (!Status(item, at, &status, error)) return false;
      fault.status = status;
      continue;
    }
    if (key != "at" && key != "times" && key != "byteCount") return UnknownKey(where, key, error);
    if (!ExpectNumber(item, at, 0xFFFFFFFFu, &number, error)) return false;
    if (key == "at") fault.at = number;
    else if (key == "times") fault.times = number;
    else fault.byteCount = number;
  }
  return true;
}

bool LoadNames(const Json& value, const std::string& where, std::vector<std::string>& names,
               std::string* error) {
  if (!ExpectType(value, Json::value_t::array, where, error)) return false;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (!ExpectType(value[i], Json::value_t::string, where + " " + std::to_string(i), error))
      return false;
    names.push_back(value[i].get<std::string>());
  }
  return true;
}

}  // namespace nvidia_file

bool LoadNvidiaGpuSection(const Json& value, std::optional<nvidia::Library>& loaded,
                          std::string* error) {
  using namespace nvidia_file;
  const std::string where = "nvidiaGpu";
  if (!ExpectType(value, Json::value_t::object, "\"nvidiaGpu\"", error)) return false;
  nvidia::Library library;
  std::uint32_t displays = 0;
  for (const auto& [key, item] : value.items()) {
    const std::string at = where + " \"" + key + "\"";
    if (key == "gpus") {
      if (!ExpectType(item, Json::value_t::array, at, error)) return false;
      for (std::size_t i = 0; i < item.size(); ++i) {
        nvidia::Gpu gpu;
        if (!LoadGpu(item[i], where + " gpu " + std::to_string(i), i, &displays, gpu, error))
          return false;
        library.gpus.push_back(std::move(gpu));
      }
    } else if (key == "missingNames") {
      if (!LoadNames(item, at, library.missingNames, error)) return false;
    } else if (key == "failures") {
      if (!LoadFailures(item, where + " failures", library.failures, error)) return false;
    } else if (key == "reportedDisplayCount" || key == "listedDisplayCount") {
      std::uint32_t count = 0;
      if (!ExpectNumberOrHex(item, at, 0xFFFFFFFFu, &count, error)) return false;
      (key == "reportedDisplayCount" ? library.reportedDisplayCount : library.listedDisplayCount) =
          count;
    } else if (key == "auxFaults") {
      if (!ExpectType(item, Json::value_t::array, at, error)) return false;
      for (std::size_t i = 0; i < item.size(); ++i) {
        nvidia::AuxFault fault;
        if (!LoadAuxFault(item[i], where + " auxFault " + std::to_string(i), fault, error))
          return false;
        library.auxFaults.push_back(fault);
      }
    } else {
      return UnknownKey(where, key, error);
    }
  }
  loaded = std::move(library);
  return true;
}

}  // namespace sim
