#include "tconprobe/app/xml_document.h"

namespace tconprobe {
namespace {

// Markup characters, and white space other than a blank, which a parser
// would otherwise normalise away, become references.
std::string EscapeAttribute(const std::string& value) {
  std::string out;
  for (const char c : value) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\t': out += "&#9;"; break;
      case '\n': out += "&#10;"; break;
      case '\r': out += "&#13;"; break;
      default: out += c;
    }
  }
  return out;
}

void AppendElement(const XmlElement& element, int depth, std::string* out) {
  const std::string indent(static_cast<std::size_t>(depth) * 3, ' ');
  *out += indent + "<" + element.name;
  for (const XmlAttribute& attribute : element.attributes) {
    *out += " " + attribute.name + "=\"" + EscapeAttribute(attribute.value) + "\"";
  }
  if (element.children.empty()) {
    *out += "/>\r\n";
    return;
  }
  *out += ">\r\n";
  for (const XmlElement& child : element.children) AppendElement(child, depth + 1, out);
  *out += indent + "</" + element.name + ">\r\n";
}

}  // namespace

XmlElement* XmlElement::FindChild(const std::string& childName) {
  for (XmlElement& child : children) {
    if (child.name == childName) return &child;
  }
  return nullptr;
}

void XmlElement::SetAttribute(const std::string& attributeName, const std::string& value) {
  for (XmlAttribute& attribute : attributes) {
    if (attribute.name == attributeName) {
      attribute.value = value;
      return;
    }
  }
  attributes.push_back(XmlAttribute{attributeName, value});
}

std::string SerializeXml(const XmlElement& root) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
  AppendElement(root, 0, &out);
  return out;
}

}  // namespace tconprobe
