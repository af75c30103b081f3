#include "tconprobe/app/ini_integer.h"

namespace tconprobe {
namespace {

int DigitValue(char c, int base) {
  int digit = 16;
  if (c >= '0' && c <= '9') digit = c - '0';
  else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
  return digit < base ? digit : -1;
}

}  // namespace

bool ParseIniInteger(std::string_view text, std::int32_t* value) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X") {
    base = 16;
    text.remove_prefix(2);
  } else if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  // Decimal may reach 2^31 only as a negative number; hexadecimal fills 32 bits.
  const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  std::uint64_t magnitude = 0;
  for (const char c : text) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return false;
    magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    if (magnitude > limit) return false;
  }
  const std::uint32_t bits = static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude);
  *value = static_cast<std::int32_t>(bits);
  return true;
}

}  // namespace tconprobe
