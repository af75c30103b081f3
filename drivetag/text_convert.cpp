#include "drivetag/text_convert.h"

#include "common/code_page_text.h"
#include "common/decimal.h"
#include "platform/text.h"

namespace drivetag {
std::string ToThreadAnsi(std::u16string_view text) {
  return common::ToCodePage(text, platform::WideToThreadAnsi);
}

std::string ToAnsi(std::u16string_view text) { return common::ToCodePage(text, platform::WideToAnsi); }

std::u16string FromThreadAnsi(std::string_view text) {
  return common::FromCodePage(text, platform::ThreadAnsiToWide);
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
