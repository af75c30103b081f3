#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// WMI of the simulated machine: classes of ROOT\CIMV2 with their rows, and
// failures that can be injected into the steps of a query.
namespace sim {

struct WmiRow {
  // Property name and value in machine-file order; a missing value is null.
  std::vector<std::pair<std::u16string, std::optional<std::u16string>>> properties;
};

struct WmiClass {
  std::u16string name;
  std::vector<WmiRow> rows;
};

struct WmiFault {
  // CoInitializeEx, CoInitializeSecurity, CoCreateInstance, ConnectServer,
  // CoSetProxyBlanket or ExecQuery.
  std::string step;
  std::u16string className;  // ExecQuery only: the class queried; empty: any
  std::int32_t result = 0;
};

struct WmiModel {
  std::vector<WmiClass> classes;
  std::vector<WmiFault> faults;
};

// The first failure injected into the step, for this class or any; null
// when the step succeeds.
const WmiFault* FindWmiFault(const WmiModel& model, std::string_view step,
                             std::u16string_view className);

}  // namespace sim
