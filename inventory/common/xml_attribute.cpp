#include "inventory/common/xml_attribute.h"

#include <cstdint>

#include "common/utf8.h"

namespace inventory {
namespace {

// What one character of the value becomes.
enum class Kind { Plain, Escaped, Unusable };

struct Character {
  Kind kind;
  char32_t code;          // Plain: the code point
  const char* reference;  // Escaped: its entity or character reference
  std::size_t units;      // UTF-16 code units it took
};

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

Character Next(std::u16string_view value, std::size_t at) {
  const char16_t unit = value[at];
  switch (unit) {
    case u'&': return {Kind::Escaped, 0, "&amp;", 1};
    case u'<': return {Kind::Escaped, 0, "&lt;", 1};
    case u'>': return {Kind::Escaped, 0, "&gt;", 1};
    case u'"': return {Kind::Escaped, 0, "&quot;", 1};
    case u'\t': return {Kind::Escaped, 0, "&#9;", 1};
    case u'\n': return {Kind::Escaped, 0, "&#10;", 1};
    case u'\r': return {Kind::Escaped, 0, "&#13;", 1};
    default: break;
  }
  if (unit < 0x20 || unit == 0xFFFE || unit == 0xFFFF || IsLowSurrogate(unit)) {
    return {Kind::Unusable, 0, nullptr, 1};
  }
  if (IsHighSurrogate(unit)) {
    if (at + 1 >= value.size() || !IsLowSurrogate(value[at + 1])) return {Kind::Unusable, 0, nullptr, 1};
    const char32_t code = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                          (static_cast<char32_t>(value[at + 1]) - 0xDC00);
    return {Kind::Plain, code, nullptr, 2};
  }
  return {Kind::Plain, unit, nullptr, 1};
}

// Walks the value once; the output kind decides how each piece is spelt.
template <typename Text, typename AppendPlain>
Text Escape(std::u16string_view value, AppendPlain appendPlain, const Text& replacement) {
  Text out;
  out.reserve(value.size());
  for (std::size_t at = 0; at < value.size();) {
    const Character character = Next(value, at);
    if (character.kind == Kind::Plain) {
      appendPlain(out, value.substr(at, character.units), character.code);
    } else if (character.kind == Kind::Escaped) {
      for (const char* c = character.reference; *c != 0; ++c) out += static_cast<typename Text::value_type>(*c);
    } else {
      out += replacement;
    }
    at += character.units;
  }
  return out;
}

}  // namespace

std::u16string XmlAttributeW(std::u16string_view value) {
  return Escape(
      value, [](std::u16string& out, std::u16string_view units, char32_t) { out.append(units); },
      std::u16string(u"\uFFFD"));
}

std::string XmlAttributeUtf8(std::u16string_view value) {
  return Escape(
      value, [](std::string& out, std::u16string_view, char32_t code) { common::AppendUtf8(out, code); },
      std::string("?"));
}

}  // namespace inventory
