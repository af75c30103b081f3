#include "sim/models/gpu/amd/adl_file.h"

#include <limits>

namespace sim {
// Named, as the machine file's readers are built as one unit.
namespace amd_section {

namespace api = platform::adl;

// The library's results and counts are signed: a failure or a bad count
// may be negative.
bool Signed(const Json& value, const std::string& where, std::int32_t* out, std::string* error) {
  if (!value.is_number_integer() ||
      value.get<long long>() < std::numeric_limits<std::int32_t>::min() ||
      (value.is_number_unsigned() &&
       value.get<unsigned long long>() > std::numeric_limits<std::int32_t>::max()) ||
      value.get<long long>() > std::numeric_limits<std::int32_t>::max()) {
    *error = where + " must be a whole number of 32 bits with sign";
    return false;
  }
  *out = static_cast<std::int32_t>(value.get<long long>());
  return true;
}

template <typename Item, typename LoadItem>
bool LoadList(const Json& value, const std::string& where, const std::string& itemWhere,
              std::vector<Item>* items, LoadItem load, std::string* error) {
  if (!ExpectType(value, Json::value_t::array, where, error)) return false;
  for (std::size_t i = 0; i < value.size(); ++i) {
    Item item;
    if (!load(value[i], itemWhere + " " + std::to_string(i), item, error))
      return false;
    items->push_back(std::move(item));
  }
  return true;
}

bool LoadNames(const Json& value, const std::string& where, std::vector<std::string>* names,
               bool known(const std::string&), const std::string& expected, std::string* error) {
  if (!ExpectType(value, Json::value_t::array, where, error)) return false;
  for (const Json& item : value) {
    if (!item.is_string() || !known(item.get<std::string>())) {
      *error = where + " must list " + expected;
      return false;
    }
    names->push_back(item.get<std::string>());
  }
  return true;
}

bool IsLibraryName(const std::string& name) {
  return name == api::kLibrary || name == api::kLibraryOther;
}

bool IsFunctionName(const std::string& name) {
  for (const char* known : api::kFunctionNames) {
    if (name == known) return true;
  }
  return false;
}

// The "count" of a fault is named for what it stands for.
auto FaultLoader(const char* countKey) {
  return [countKey](const Json& value, const std::string& where, amd::CallFault& fault,
                    std::string* error) {
    if (!ExpectType(value, Json::value_t::object, where, error)) return false;
    for (const auto& [key, item] : value.items()) {
      const std::string at = where + " \"" + key + "\"";
      std::uint32_t number = 0;
      std::int32_t value32 = 0;
      if (key == "at" || key == "times") {
        if (!ExpectNumber(item, at, 0xFFFFFFFFu, &number, error)) return false;
        (key == "at" ? fault.at : fault.times) = number;
      } else if (key == "result" || key == countKey) {
        if (!Signed(item, at, &value32, error)) return false;
        (key == "result" ? fault.result : fault.count) = value32;
      } else {
        return UnknownKey(where, key, error);
      }
    }
    return true;
  };
}

bool LoadDisplay(const Json& value, const std::string& where, amd::Display& display,
                 std::string* error) {
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  for (const auto& [key, item] : value.items()) {
    const std::string at = where + " \"" + key + "\"";
    bool loaded = false;
    if (key == "index") {
      loaded = Signed(item, at, &display.index, error);
    } else if (key == "adapterIndex") {
      loaded = Signed(item, at, &display.adapterIndex, error);
    } else if (key == "connector") {
      loaded = Signed(item, at, &display.connector, error);
    } else if (key == "flags") {
      loaded = ExpectNumberOrHex(item, at, 0xFFFFFFFFu, &display.flags, error);
    } else if (key == "panel") {
      loaded = ExpectFlag(item, at, &display.panel, error);
    } else {
      return UnknownKey(where, key, error);
    }
    if (!loaded) return false;
  }
  return true;
}

bool LoadAdapter(const Json& value, const std::string& where, amd::Adapter& adapter,
                 std::string* error) {
  if (!ExpectType(value, Json::value_t::object, where, error)) return false;
  for (const auto& [key, item] : value.items()) {
    const std::string at = where + " \"" + key + "\"";
    bool loaded = false;
    std::int32_t count = 0;
    if (key == "index") {
      loaded = Signed(item, at, &adapter.index, error);
    } else if (key == "active") {
      loaded = ExpectFlag(item, at, &adapter.active, error);
    } else if (key == "displayListFails") {
      loaded = ExpectFlag(item, at, &adapter.displayListFails, error);
    } else if (key == "displayCount") {
      loaded = Signed(item, at, &count, error);
      adapter.displayCount = count;
    } else if (key == "displays") {
      loaded = true;
    } else {
      return UnknownKey(where, key, error);
    }
    if (!loaded) return false;
  }
  // A display's index is its place in the list and its adapter is the one
  // that lists it, unless the file says otherwise.
  if (!value.contains("displays")) return true;
  const auto loadDisplay = [&adapter](const Json& item, const std::string& at,
                                      amd::Display& display, std::string* fault) {
    display.index = static_cast<std::int32_t>(adapter.displays.size());
    display.adapterIndex = adapter.index;
    return LoadDisplay(item, at, display, fault);
  };
  return LoadList(value["displays"], where + " \"displays\"", where + " display", &adapter.displays,
                  loadDisplay, error);
}

bool LoadSection(const Json& value, std::optional<amd::Adl>& gpu, std::string* error) {
  const std::string where = "amdGpu";
  if (!ExpectType(value, Json::value_t::object, "\"amdGpu\"", error)) return false;
  amd::Adl adl;
  for (const auto& [key, item] : value.items()) {
    const std::string at = where + " \"" + key + "\"";
    bool loaded = false;
    std::int32_t count = 0;
    if (key == "libraries") {
      adl.libraries.clear();
      loaded = LoadNames(item, at, &adl.libraries, IsLibraryName,
                         "\"atiadlxx.dll\" or \"atiadlxy.dll\"", error);
    } else if (key == "missingFunctions") {
      loaded = LoadNames(item, at, &adl.missingFunctions, IsFunctionName,
                         "names of the library's functions", error);
    } else if (key == "createResult") {
      loaded = Signed(item, at, &adl.createResult, error);
    } else if (key == "adapterCount") {
      loaded = Signed(item, at, &count, error);
      adl.adapterCount = count;
    } else if (key == "adapterInfoFails") {
      loaded = ExpectFlag(item, at, &adl.adapterInfoFails, error);
    } else if (key == "adapters") {
      const auto loadAdapter = [&adl](const Json& entry, const std::string& place,
                                      amd::Adapter& adapter, std::string* fault) {
        adapter.index = static_cast<std::int32_t>(adl.adapters.size());
        return LoadAdapter(entry, place, adapter, fault);
      };
      loaded = LoadList(item, at, where + " adapter", &adl.adapters, loadAdapter, error);
    } else if (key == "ddcFaults") {
      loaded = LoadList(item, at, where + " DDC fault", &adl.ddcFaults, FaultLoader("received"), error);
    } else if (key == "nativeFaults") {
      loaded = LoadList(item, at, where + " native fault", &adl.nativeFaults, FaultLoader("byteCount"),
                        error);
    } else {
      return UnknownKey(where, key, error);
    }
    if (!loaded) return false;
  }
  gpu = std::move(adl);
  return true;
}

}  // namespace amd_section

bool LoadAmdGpuSection(const Json& value, std::optional<amd::Adl>& gpu, std::string* error) {
  return amd_section::LoadSection(value, gpu, error);
}

}  // namespace sim
