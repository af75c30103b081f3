#pragma once
#include <string_view>

namespace sim {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with hexadecimal digits in any
// case: the form of the installer's product and upgrade codes.
bool IsBracedGuid(std::string_view text);

}  // namespace sim
