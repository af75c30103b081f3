#include "common/ascii_case.h"

namespace common {
namespace {

template <typename Char>
Char Upper(Char ch) {
  return ch >= Char('a') && ch <= Char('z') ? static_cast<Char>(ch - Char('a') + Char('A')) : ch;
}

template <typename Char>
std::basic_string<Char> UpperText(std::basic_string_view<Char> text) {
  std::basic_string<Char> out(text);
  for (Char& ch : out) ch = Upper(ch);
  return out;
}

template <typename Char>
bool Same(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

}  // namespace

char16_t UpperAscii(char16_t ch) { return Upper(ch); }
std::u16string UpperAscii(std::u16string_view text) { return UpperText(text); }
std::string UpperAscii(std::string_view text) { return UpperText(text); }
bool SameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) { return Same(a, b); }
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) { return Same(a, b); }

}  // namespace common
