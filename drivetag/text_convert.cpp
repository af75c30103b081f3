#include "drivetag/text_convert.h"

#include "common/decimal.h"
#include "platform/text.h"

namespace drivetag {
namespace {

template <typename Convert>
std::string Narrow(std::u16string_view text, Convert convert) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int bytes = convert(text.data(), length, nullptr, 0);
  if (bytes <= 0) return {};
  std::string out(static_cast<std::size_t>(bytes), '\0');
  const int written = convert(text.data(), length, out.data(), bytes);
  out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return out;
}

}  // namespace

std::string ToThreadAnsi(std::u16string_view text) {
  return Narrow(text, platform::WideToThreadAnsi);
}

std::string ToAnsi(std::u16string_view text) { return Narrow(text, platform::WideToAnsi); }

std::u16string FromThreadAnsi(std::string_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int units = platform::ThreadAnsiToWide(text.data(), length, nullptr, 0);
  if (units <= 0) return {};
  std::u16string out(static_cast<std::size_t>(units), u'\0');
  const int written = platform::ThreadAnsiToWide(text.data(), length, out.data(), units);
  out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return out;
}

std::string LowBytes(std::u16string_view text) {
  std::string out;
  for (char16_t unit : text) {
    const char byte = static_cast<char>(unit & 0xFF);
    if (byte == 0) break;
    out += byte;
  }
  return out;
}

std::u16string Widen(std::string_view ascii) {
  std::u16string out;
  for (char c : ascii) out += static_cast<char16_t>(static_cast<unsigned char>(c));
  return out;
}

std::u16string Decimal(long value) { return Widen(common::DecimalText(value)); }

}  // namespace drivetag
