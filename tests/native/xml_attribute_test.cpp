// Values as XML attribute text: what each kind of character becomes in the
// wide (UTF-16) and the narrow (UTF-8) documents.
#include "inventory/common/xml_attribute.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using inventory::XmlAttributeUtf8;
using inventory::XmlAttributeW;

struct AttributeCase {
  const char* name;
  std::u16string value;
  std::u16string wide;
  std::string utf8;
};
void PrintTo(const AttributeCase& c, std::ostream* out) { *out << c.name; }

class XmlAttributeTest : public ::testing::TestWithParam<AttributeCase> {};

TEST_P(XmlAttributeTest, EscapesOrReplacesWhatXmlCannotCarryAsItIs) {
  EXPECT_EQ(XmlAttributeW(GetParam().value), GetParam().wide);
  EXPECT_EQ(XmlAttributeUtf8(GetParam().value), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XmlAttributeTest,
    ::testing::Values(
        AttributeCase{"PlainVersionUnchanged", u"10.1.20.300", u"10.1.20.300", "10.1.20.300"},
        AttributeCase{"Empty", u"", u"", ""},
        AttributeCase{"MarkupCharacters", u"a&b<c>d\"e'f", u"a&amp;b&lt;c&gt;d&quot;e'f",
                      "a&amp;b&lt;c&gt;d&quot;e'f"},
        AttributeCase{"AnEntityIsNotTakenAsOne", u"&amp;", u"&amp;amp;", "&amp;amp;"},
        AttributeCase{"BlanksThatParsersWouldNormalise", u"\t\n\r", u"&#9;&#10;&#13;", "&#9;&#10;&#13;"},
        AttributeCase{"OtherControlCharacters", std::u16string(u"\u0001\u001F", 2) + u'\0' + u"x",
                      u"\uFFFD\uFFFD\uFFFDx", "???x"},
        AttributeCase{"DeleteAndC1ControlsAreAllowed", u"\u007F\u0085", u"\u007F\u0085", "\x7F\xC2\x85"},
        AttributeCase{"NonCharacters", u"\uFFFE\uFFFF", u"\uFFFD\uFFFD", "??"},
        AttributeCase{"LoneHighSurrogate", std::u16string{0xD83D, u'a'}, u"\uFFFDa", "?a"},
        AttributeCase{"LoneLowSurrogate", std::u16string{u'a', 0xDE00}, u"a\uFFFD", "a?"},
        AttributeCase{"HighSurrogateAtTheEnd", std::u16string{u'a', 0xD83D}, u"a\uFFFD", "a?"},
        AttributeCase{"SwappedPair", std::u16string{0xDE00, 0xD83D}, u"\uFFFD\uFFFD", "??"},
        AttributeCase{"PairedSurrogatesKept", u"\U0001F600", u"\U0001F600", "\xF0\x9F\x98\x80"},
        AttributeCase{"LatinAndBmpCharacters", u"\u00E9\u20AC\uFFFD", u"\u00E9\u20AC\uFFFD",
                      "\xC3\xA9\xE2\x82\xAC\xEF\xBF\xBD"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
