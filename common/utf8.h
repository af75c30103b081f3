#pragma once
#include <string>

namespace common {

// Appends one Unicode code point (below 0x110000, no surrogate) in UTF-8.
void AppendUtf8(std::string& out, char32_t code);

}  // namespace common
