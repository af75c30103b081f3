#include "sim/core/guid.h"

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

}  // namespace sim
