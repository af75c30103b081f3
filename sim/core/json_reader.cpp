#include "sim/core/json_reader.h"

namespace sim {
namespace {

const char* TypeName(Json::value_t type) {
  switch (type) {
    case Json::value_t::object: return "an object";
    case Json::value_t::array: return "an array";
    case Json::value_t::string: return "a string";
    case Json::value_t::boolean: return "true or false";
    case Json::value_t::number_unsigned:
    case Json::value_t::number_integer: return "a whole number";
    default: return "another type";
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ExpectType(const Json& value, Json::value_t type, const std::string& where, std::string* error) {
  const bool match = value.type() == type ||
                     (type == Json::value_t::number_integer && value.is_number_integer());
  if (!match) *error = where + " must be " + TypeName(type);
  return match;
}

bool ExpectNumber(const Json& value, const std::string& where, std::uint32_t limit,
                  std::uint32_t* out, std::string* error) {
  if (!value.is_number_integer() || value.get<long long>() < 0 ||
      value.get<unsigned long long>() > limit) {
    *error = where + " must be a whole number from 0 to " + std::to_string(limit);
    return false;
  }
  *out = value.get<std::uint32_t>();
  return true;
}

bool ExpectNumberOrHex(const Json& value, const std::string& where, std::uint32_t limit,
                       std::uint32_t* out, std::string* error) {
  if (!value.is_string()) return ExpectNumber(value, where, limit, out, error);
  const std::string text = value.get<std::string>();
  unsigned long long number = 0;
  bool valid = text.size() > 2 && text.size() <= 10 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  for (std::size_t i = 2; valid && i < text.size(); ++i) {
    const int digit = HexDigit(text[i]);
    valid = digit >= 0;
    number = number * 16 + static_cast<unsigned>(digit);
  }
  if (!valid || number > limit) {
    *error = where + " must be a whole number from 0 to " + std::to_string(limit) +
             ", or 0x and hexadecimal digits";
    return false;
  }
  *out = static_cast<std::uint32_t>(number);
  return true;
}

bool ExpectFlag(const Json& value, const std::string& where, bool* out, std::string* error) {
  if (!ExpectType(value, Json::value_t::boolean, where, error)) return false;
  *out = value.get<bool>();
  return true;
}

bool UnknownKey(const std::string& where, const std::string& key, std::string* error) {
  *error = where + ": unknown key \"" + key + "\"";
  return false;
}

bool ParseHex(const std::string& hex, std::vector<std::uint8_t>* bytes) {
  std::string compact;
  for (char c : hex) {
    if (c != ' ') compact += c;
  }
  if (compact.size() % 2 != 0) return false;
  bytes->clear();
  for (std::size_t i = 0; i < compact.size(); i += 2) {
    const int hi = HexDigit(compact[i]), lo = HexDigit(compact[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes->push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return true;
}

}  // namespace sim
