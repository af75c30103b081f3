#include "sim/core/text_codec.h"

#include <cstdint>
#include <cstdio>

namespace sim {
namespace {

// Windows-1252 bytes 0x80..0x9F; the unassigned ones keep their own value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || (extra > 0 && i + static_cast<std::size_t>(extra) >= text.size())) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    char32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((c & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (c & 0x3F);
    }
    if (!ok) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    AppendUtf16(out, cp);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    AppendUtf8(out, cp);
  }
  return out;
}

char16_t AnsiByteToWide(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
  return byte;
}

bool WideToAnsiByte(char16_t ch, unsigned char* byte) {
  if (ch < 0x80 || (ch >= 0xA0 && ch < 0x100)) {
    *byte = static_cast<unsigned char>(ch);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == ch) {
      *byte = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

std::string AnsiToUtf8(std::string_view ansi) {
  std::u16string wide;
  for (char c : ansi) wide += AnsiByteToWide(static_cast<unsigned char>(c));
  return Utf16ToUtf8(wide);
}

std::string Utf8ToAnsi(std::string_view text) {
  std::string out;
  for (char16_t ch : Utf8ToUtf16(text)) {
    unsigned char b = '?';
    WideToAnsiByte(ch, &b);
    out += static_cast<char>(b);
  }
  return out;
}

std::string HexNumber(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

std::string ToHex(const std::vector<std::uint8_t>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (std::uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

}  // namespace sim
