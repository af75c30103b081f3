#pragma once
#include <string>

// Device names that CreateFileW opens ("\\.\Name"), such as the ones a
// driver creates for its utility.
namespace sim {

struct Device {
  std::u16string name;
  bool readWrite = true;  // false: opening it with read or write access is refused
};

}  // namespace sim
