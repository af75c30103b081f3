#pragma once
#include <map>
#include <string>

// Documents read back with a real XML parser (libxml2).
namespace testsupport {

// Every attribute of every element as "Element@name" -> value in UTF-8, or
// nothing when the bytes are no well-formed document. encoding: null lets
// the document's own bytes and declaration speak.
std::map<std::string, std::string> ParseAttributes(const std::string& bytes, const char* encoding);

// What a value reads as once written to a document: UTF-8, each character
// that XML cannot carry (control characters other than TAB, LF and CR, lone
// surrogates, U+FFFE, U+FFFF) replaced.
std::string AsXmlReadsIt(const std::u16string& value, const std::string& replacement);

}  // namespace testsupport
