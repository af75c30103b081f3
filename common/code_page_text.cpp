#include "common/code_page_text.h"

namespace common {
namespace {

template <typename Out, typename In, typename Call>
Out Convert(In text, Call convert) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int needed = convert(text.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  Out out(static_cast<std::size_t>(needed), typename Out::value_type{});
  const int written = convert(text.data(), length, out.data(), needed);
  out.resize(written > 0 && written <= needed ? static_cast<std::size_t>(written) : 0);
  return out;
}

}  // namespace

std::u16string FromCodePage(std::string_view text, ToUtf16Call convert) {
  return Convert<std::u16string>(text, convert);
}

std::string ToCodePage(std::u16string_view text, FromUtf16Call convert) {
  return Convert<std::string>(text, convert);
}

}  // namespace common
