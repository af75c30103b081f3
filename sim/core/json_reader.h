#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// Reading the machine file's JSON: the checks every section loader makes.
// An error text names where the fault is.
namespace sim {

using Json = nlohmann::ordered_json;

bool ExpectType(const Json& value, Json::value_t type, const std::string& where, std::string* error);
// A whole number from 0 to limit.
bool ExpectNumber(const Json& value, const std::string& where, std::uint32_t limit,
                  std::uint32_t* out, std::string* error);
// The same, written as a number or as "0x" and hexadecimal digits.
bool ExpectNumberOrHex(const Json& value, const std::string& where, std::uint32_t limit,
                       std::uint32_t* out, std::string* error);
// true or false.
bool ExpectFlag(const Json& value, const std::string& where, bool* out, std::string* error);
// Always false: the error names a key that the place does not know.
bool UnknownKey(const std::string& where, const std::string& key, std::string* error);
// Pairs of hexadecimal digits, blanks between them allowed.
bool ParseHex(const std::string& hex, std::vector<std::uint8_t>* bytes);

}  // namespace sim
