#include "sim/core/clock_power_file.h"

namespace sim {

bool LoadClockSection(const Json& value, SimClock& clock, std::string* error) {
  if (!ExpectType(value, Json::value_t::object, "\"clock\"", error)) return false;
  for (const auto& [key, item] : value.items()) {
    const std::string where = "clock \"" + key + "\"";
    if (key == "tickCount") {
      if (!ExpectNumber(item, where, 0xFFFFFFFFu, &clock.tickCountAtStart, error))
        return false;
    } else if (key == "auxTransactionMicroseconds") {
      if (!ExpectNumber(item, where, 1000000, &clock.auxTransactionMicroseconds, error))
        return false;
    } else {
      *error = "clock: unknown key \"" + key + "\"";
      return false;
    }
  }
  return true;
}

bool LoadPowerSection(const Json& value, PowerSupply& power, std::string* error) {
  const char* const kLine[] = {"offline", "online", "unknown", "fails"};
  const std::uint8_t kStatus[] = {0, 1, 255, 0};
  if (ExpectType(value, Json::value_t::object, "\"power\"", error) && value.size() == 1 &&
      value.contains("acLine") && value["acLine"].is_string()) {
    for (int i = 0; i < 4; ++i) {
      if (value["acLine"] != kLine[i]) continue;
      power.acLineStatus = kStatus[i];
      power.fails = i == 3;
      return true;
    }
  }
  *error = "\"power\" must be {\"acLine\": \"online\", \"offline\", \"unknown\" or \"fails\"}";
  return false;
}

}  // namespace sim
