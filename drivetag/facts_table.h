#pragma once
#include <cstddef>
#include <string_view>

#include "drivetag/feature_commands.h"

// The host facts table: ten zero-terminated UTF-16 fields, one per host
// metadata element type, holding the value each element should have.
namespace drivetag {

inline constexpr std::size_t kFactsTableChars = 1490;  // 2980 bytes

struct ElementField {
  int type;
  std::size_t start;  // in wide characters
  std::size_t size;   // in wide characters, terminator included
};

// In the order the element pass handles them.
inline constexpr ElementField kElementFields[] = {
    {1, 0, 200},    {2, 200, 200},  {3, 400, 30},    {7, 430, 200},   {10, 630, 200},
    {11, 830, 200}, {12, 1030, 30}, {13, 1060, 200}, {14, 1260, 200}, {15, 1460, 30}};

const ElementField* FindElementField(int type);

// Stores a fact in its element's field. A fact that does not fit is cut here,
// before anything compares it: to its field, and to the longest start whose
// narrow form fits the value area, so what a drive holds after a write is
// what the next run wants.
void StoreFact(char16_t* table, int type, std::u16string_view fact);
std::u16string_view FactOf(const char16_t* table, int type);

}  // namespace drivetag
