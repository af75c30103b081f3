#pragma once
#include <string>
#include <string_view>

// A value as the text of an XML attribute between double quotes, escaped as
// an XML writer escapes it: & < > " as entities, and TAB, LF and CR as
// character references, so that a parser hands back the value itself rather
// than the blanks its attribute normalisation would make of them. Characters
// that XML cannot carry at all (other control characters, lone surrogates,
// U+FFFE and U+FFFF) become a replacement. A value without any of these
// characters comes out unchanged.

namespace inventory {

// UTF-16 in, UTF-16 out; the replacement is U+FFFD.
std::u16string XmlAttributeW(std::u16string_view value);
// UTF-16 in, UTF-8 out; the replacement is "?".
std::string XmlAttributeUtf8(std::u16string_view value);

}  // namespace inventory
