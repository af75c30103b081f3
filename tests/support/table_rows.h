#pragma once
#include <ostream>

// A row of a test table prints as its name (or its machine file), so a
// failing row of a parameterised test says which one it is. Each test file
// brings this in with `using testsupport::PrintTo;` where its rows live.
namespace testsupport {

template <typename Row>
  requires requires(const Row& row) { *static_cast<std::ostream*>(nullptr) << row.name; } ||
           requires(const Row& row) { *static_cast<std::ostream*>(nullptr) << row.machine; }
void PrintTo(const Row& row, std::ostream* out) {
  if constexpr (requires { *out << row.name; }) {
    *out << row.name;
  } else {
    *out << row.machine;
  }
}

}  // namespace testsupport
