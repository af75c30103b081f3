#pragma once
#include <string>

namespace inventory {

// The wide modules take an output name only when it contains ".xml" or
// ".XML" somewhere (other spellings such as ".Xml" do not count).
bool NamesXmlFile(const std::u16string& name);

}  // namespace inventory
