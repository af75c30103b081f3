#pragma once
#include <string>
#include <string_view>

#include "platform/guid.h"

namespace sim {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with hexadecimal digits in any
// case: the form of the installer's product and upgrade codes.
bool IsBracedGuid(std::string_view text);
// The same form, upper case, for the trace.
std::string GuidText(const platform::Guid& guid);

}  // namespace sim
