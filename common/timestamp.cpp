#include "common/timestamp.h"

#include <cstring>
#include <string>
#include <utility>

#include "common/decimal.h"

namespace common {

void FormatTimeStamp(const platform::LocalTime& time, char* buffer, std::size_t size) {
  if (size == 0) return;
  // "%04d-%02d-%02dT%02d:%02d:%02d" without the C99 printf.
  std::string text;
  AppendSignedDecimal(text, time.year, 4);
  for (const auto& [separator, field] : {std::pair{'-', time.month}, {'-', time.day}, {'T', time.hour},
                                         {':', time.minute}, {':', time.second}}) {
    text += separator;
    AppendSignedDecimal(text, field, 2);
  }
  // Cut to the buffer as snprintf would, always terminated.
  const std::size_t length = text.size() < size ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

}  // namespace common
