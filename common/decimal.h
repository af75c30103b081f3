#pragma once
#include <cstdint>
#include <string>

// Whole numbers in decimal, as printf's %u, %d and %0Nd write them. The
// programs format their few numbers here, so that no C99 printf (with its
// floating-point formatting) is linked into the deliverables.

namespace common {

// Appends value with at least minDigits digits, leading zeros filling up.
inline void AppendDecimal(std::string& out, std::uint64_t value, int minDigits = 1) {
  char digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (int i = count; i < minDigits; ++i) out += '0';
  while (count > 0) out += digits[--count];
}

// Signed, as %0Nd: the minus sign counts towards the width.
inline void AppendSignedDecimal(std::string& out, std::int64_t value, int width = 1) {
  if (value >= 0) return AppendDecimal(out, static_cast<std::uint64_t>(value), width);
  out += '-';
  // The magnitude of the most negative value does not fit its own type.
  AppendDecimal(out, 0 - static_cast<std::uint64_t>(value), width - 1);
}

inline std::string DecimalText(std::int64_t value) {
  std::string out;
  AppendSignedDecimal(out, value);
  return out;
}

}  // namespace common
