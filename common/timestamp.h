#pragma once
#include <cstddef>

// The inventory time stamp, local time as 2021-11-28T16:26:58.
void FormatTimeStamp(char* buffer, std::size_t size);
