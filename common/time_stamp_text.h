#pragma once
#include <string>
#include <utility>

#include "common/decimal.h"
#include "platform/clock.h"

// A local time as "%04d-%02d-%02dT%02d:%02d:%02d" gives it, 2021-11-28T16:26:58:
// the inventory documents' time stamp and the head of drivetag's log lines.
inline std::string TimeStampText(const platform::LocalTime& time) {
  std::string text;
  AppendSignedDecimal(text, time.year, 4);
  for (const auto& [separator, field] : {std::pair{'-', time.month}, {'-', time.day}, {'T', time.hour},
                                         {':', time.minute}, {':', time.second}}) {
    text += separator;
    AppendSignedDecimal(text, field, 2);
  }
  return text;
}
