#pragma once
#include <cstddef>
#include <string>

#include "platform/clock.h"

// A local time as "%04d-%02d-%02dT%02d:%02d:%02d" gives it, 2021-11-28T16:26:58:
// the inventory documents' time stamp and the head of drivetag's log lines.
std::string TimeStampText(const platform::LocalTime& time);

// The inventory time stamp of now, cut to the buffer and terminated.
void FormatTimeStamp(char* buffer, std::size_t size);
