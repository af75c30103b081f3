// tconprobe's INI integers: any text is read exactly as a plain reference
// reading of the rules reads it (blanks, a sign, decimal or "0x"/"0X"/"$"
// hexadecimal, nothing after), and every 32-bit value written in each of
// those forms reads back as itself.
#include <cstdint>
#include <string>

#include "tconprobe/app/ini_integer.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

// The rules spelt out one at a time, in wide arithmetic.
bool Reference(const std::string& text, std::int32_t* value) {
  std::size_t at = text.find_first_not_of(" \t");
  if (at == std::string::npos) return false;
  int sign = 1;
  if (text[at] == '+' || text[at] == '-') sign = text[at++] == '-' ? -1 : 1;
  int base = 10;
  if (text.compare(at, 2, "0x") == 0 || text.compare(at, 2, "0X") == 0) {
    base = 16;
    at += 2;
  } else if (at < text.size() && text[at] == '$') {
    base = 16;
    at += 1;
  }
  if (at == text.size()) return false;
  __int128 magnitude = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return false;
    magnitude = magnitude * base + digit;
    if (magnitude > 0xFFFFFFFFll) return false;
  }
  if (base == 10 && (sign > 0 ? magnitude > 0x7FFFFFFFll : magnitude > 0x80000000ll)) return false;
  // Hexadecimal fills 32 bits and wraps like the platform's conversion.
  *value = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::int64_t>(magnitude) * sign));
  return true;
}

std::string Hex(std::uint32_t value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), "0123456789abcdef"[value & 15]);
    value >>= 4;
  } while (value != 0);
  return digits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::int32_t parsed = 0x5A5A5A5A, expected = 0x5A5A5A5A;
  const bool read = tconprobe::ParseIniInteger(text, &parsed);
  FUZZ_CHECK(read == Reference(text, &expected));
  FUZZ_CHECK(parsed == (read ? expected : 0x5A5A5A5A));

  if (size < 4) return 0;
  std::uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(data[i]) << (8 * i);
  const auto value = static_cast<std::int32_t>(bits);
  const std::string blanks(data[0] % 3, data[1] & 1 ? '\t' : ' ');
  const std::string forms[] = {blanks + std::to_string(value), blanks + "0x" + Hex(bits), "$" + Hex(bits),
                               "0X" + Hex(bits), "+" + std::to_string(bits & 0x7FFFFFFF)};
  for (const std::string& form : forms) {
    std::int32_t back = 0;
    FUZZ_CHECK(tconprobe::ParseIniInteger(form, &back));
    FUZZ_CHECK(back == (&form == &forms[4] ? static_cast<std::int32_t>(bits & 0x7FFFFFFF) : value));
  }
  return 0;
}
