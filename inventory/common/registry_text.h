#pragma once
#include <string>

#include "platform/registry.h"

namespace inventory {

// Reads a registry value as UTF-16 text into a 1,024-byte buffer, whatever
// its type: the text runs to the first NUL or the end of the data. False
// when the query fails (no value, or a value larger than the buffer).
bool QueryWideText(platform::RegKey key, const char16_t* name, std::u16string* text);

}  // namespace inventory
