#pragma once
#include <string>
#include <string_view>

namespace inventory {

// The name a document is written under before it is moved over its target:
// beside the target (so the move stays on one volume), the target's name
// with its last character replaced by '~' ('-' when that already is '~').
// It is no longer than the target, so it fits wherever the target's path fits.
template <typename Char>
std::basic_string<Char> TemporaryNameBeside(std::basic_string_view<Char> target) {
  std::basic_string<Char> name(target);
  if (name.empty()) return std::basic_string<Char>(1, Char('~'));
  name.back() = name.back() == Char('~') ? Char('-') : Char('~');
  return name;
}

}  // namespace inventory
