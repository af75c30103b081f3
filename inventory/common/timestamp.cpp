#include "inventory/common/timestamp.h"

#include <cstring>
#include <string>

#include "common/time_stamp_text.h"
#include "platform/clock.h"

void FormatTimeStamp(char* buffer, std::size_t size) {
  if (size == 0) return;
  // Cut to the buffer as snprintf would, always terminated.
  const std::string text = TimeStampText(platform::GetLocalTime());
  const std::size_t length = text.size() < size ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}
