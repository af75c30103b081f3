#pragma once
#include <string>
#include <vector>

// A small XML document model: elements with ordered attributes and child
// elements, saved as UTF-8 text with an XML declaration.
namespace tconprobe {

struct XmlAttribute {
  std::string name;
  std::string value;
};

struct XmlElement {
  std::string name;
  std::vector<XmlAttribute> attributes;
  std::vector<XmlElement> children;

  // The first child of that name; null when there is none.
  XmlElement* FindChild(const std::string& childName);
  // Sets an attribute in place, or adds it after the others.
  void SetAttribute(const std::string& attributeName, const std::string& value);
};

// The declaration <?xml version="1.0" encoding="UTF-8"?>, then the element
// tree, three blanks of indent a level, CR LF after each line. Attribute
// values are escaped as an XML DOM escapes them.
std::string SerializeXml(const XmlElement& root);

}  // namespace tconprobe
