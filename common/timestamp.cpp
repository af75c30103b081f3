#include "common/timestamp.h"

#include <cstring>
#include <utility>

#include "common/decimal.h"

std::string TimeStampText(const platform::LocalTime& time) {
  std::string text;
  AppendSignedDecimal(text, time.year, 4);
  for (const auto& [separator, field] : {std::pair{'-', time.month}, {'-', time.day}, {'T', time.hour},
                                         {':', time.minute}, {':', time.second}}) {
    text += separator;
    AppendSignedDecimal(text, field, 2);
  }
  return text;
}

void FormatTimeStamp(char* buffer, std::size_t size) {
  if (size == 0) return;
  // Cut to the buffer as snprintf would, always terminated.
  const std::string text = TimeStampText(platform::GetLocalTime());
  const std::size_t length = text.size() < size ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}
