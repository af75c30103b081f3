// The suite-wide helpers: UTF-16LE bytes, ASCII case and the time stamp.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/ascii_case.h"
#include "common/timestamp.h"
#include "common/utf16le.h"

namespace {

TEST(Utf16LeTest, BytesAreLittleEndianWithTheTerminatorOnlyWhenAsked) {
  EXPECT_EQ(common::Utf16LeBytes(u"A\u20AC"), (std::vector<std::uint8_t>{0x41, 0, 0xAC, 0x20}));
  EXPECT_EQ(common::Utf16LeBytes(u"A", true), (std::vector<std::uint8_t>{0x41, 0, 0, 0}));
  EXPECT_TRUE(common::Utf16LeBytes(u"").empty());
}

struct TextCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  std::size_t size;  // how many of the bytes the reader may look at
  std::u16string text;
};

TEST(Utf16LeTest, TextEndsAtTheFirstZeroOrWhereTheBytesEnd) {
  const TextCase cases[] = {
      {"terminated", {0x41, 0, 0x42, 0, 0, 0, 0x43, 0}, 8, u"AB"},
      {"unterminated", {0x41, 0, 0x42, 0}, 4, u"AB"},
      {"odd last byte", {0x41, 0, 0x42}, 3, u"A"},
      {"size shorter than the data", {0x41, 0, 0x42, 0}, 2, u"A"},
      {"high byte set", {0x00, 0xD8, 0x00, 0xDC}, 4, u"\xD800\xDC00"},
      {"nothing", {0}, 0, u""},
  };
  for (const TextCase& row : cases) {
    EXPECT_EQ(common::Utf16LeText(row.bytes.data(), row.size), row.text) << row.name;
  }
}

TEST(AsciiCaseTest, FoldsOnlyTheAsciiLetters) {
  EXPECT_TRUE(common::SameIgnoringAsciiCase(u"\\\\.\\Scsi2:", u"\\\\.\\SCSI2:"));
  EXPECT_TRUE(common::SameIgnoringAsciiCase(std::string_view("{2253caa0}"), std::string_view("{2253CAA0}")));
  EXPECT_FALSE(common::SameIgnoringAsciiCase(u"\u00E9", u"\u00C9"));  // é and É stay apart
  EXPECT_FALSE(common::SameIgnoringAsciiCase(u"ab", u"abc"));
  EXPECT_FALSE(common::SameIgnoringAsciiCase(u"[", u"{"));  // 0x5B and 0x7B are not letters
  EXPECT_EQ(common::UpperAscii(u"software\\Wow6432Node"), u"SOFTWARE\\WOW6432NODE");
  EXPECT_EQ(common::UpperAscii(std::string_view("a-z{}")), "A-Z{}");
}

TEST(TimeStampTest, PadsEveryField) {
  char stamp[32];
  common::FormatTimeStamp(platform::LocalTime{2021, 1, 2, 3, 4, 5}, stamp, sizeof stamp);
  EXPECT_STREQ(stamp, "2021-01-02T03:04:05");
  common::FormatTimeStamp(platform::LocalTime{2021, 11, 28, 16, 26, 58}, stamp, sizeof stamp);
  EXPECT_STREQ(stamp, "2021-11-28T16:26:58");
}

}  // namespace
