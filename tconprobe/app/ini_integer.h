#pragma once
#include <cstdint>
#include <string_view>

namespace tconprobe {

// An INI value as a whole integer: decimal, or hexadecimal after "0x", "0X"
// or "$", after leading blanks and a sign. Anything else, trailing text
// included, is not a value. Decimal must fit in 32 signed bits; hexadecimal
// up to FFFFFFFF wraps as the platform's integer conversion does.
bool ParseIniInteger(std::string_view text, std::int32_t* value);

}  // namespace tconprobe
