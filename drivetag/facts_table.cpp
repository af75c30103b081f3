#include "drivetag/facts_table.h"

#include "drivetag/text_convert.h"

namespace drivetag {
namespace {

bool IsHighSurrogate(char16_t ch) { return ch >= 0xD800 && ch < 0xDC00; }

}  // namespace

const ElementField* FindElementField(int type) {
  for (const ElementField& field : kElementFields) {
    if (field.type == type) return &field;
  }
  return nullptr;
}

void StoreFact(char16_t* table, int type, std::u16string_view fact) {
  const ElementField* field = FindElementField(type);
  if (field == nullptr) return;
  std::size_t length = 0;
  while (length < fact.size() && length + 1 < field->size && fact[length] != 0) ++length;
  // A surrogate pair is kept whole or not at all.
  auto trim = [&] {
    if (length > 0 && IsHighSurrogate(fact[length - 1])) --length;
  };
  trim();
  while (length > 0 && ToThreadAnsi(fact.substr(0, length)).size() > kMaxValueBytes) {
    --length;
    trim();
  }
  char16_t* out = table + field->start;
  for (std::size_t i = 0; i < field->size; ++i) out[i] = i < length ? fact[i] : u'\0';
}

std::u16string_view FactOf(const char16_t* table, int type) {
  const ElementField* field = FindElementField(type);
  if (field == nullptr) return {};
  const char16_t* start = table + field->start;
  std::size_t length = 0;
  while (length < field->size && start[length] != 0) ++length;
  return std::u16string_view(start, length);
}

}  // namespace drivetag
