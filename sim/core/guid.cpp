#include "sim/core/guid.h"

#include <cstdio>

namespace sim {

bool IsBracedGuid(std::string_view text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    const char c = text[i];
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (dash ? c != '-' : !hex) return false;
  }
  return true;
}

std::string GuidText(const platform::Guid& guid) {
  char text[48];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.data1), guid.data2, guid.data3, guid.data4[0],
                guid.data4[1], guid.data4[2], guid.data4[3], guid.data4[4], guid.data4[5],
                guid.data4[6], guid.data4[7]);
  return text;
}

}  // namespace sim
