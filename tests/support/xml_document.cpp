#include "tests/support/xml_document.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include "sim/core/text_codec.h"

namespace testsupport {

std::map<std::string, std::string> ParseAttributes(const std::string& bytes, const char* encoding) {
  std::map<std::string, std::string> attributes;
  xmlParserCtxtPtr context = xmlNewParserCtxt();
  xmlDocPtr document = xmlCtxtReadMemory(context, bytes.data(), static_cast<int>(bytes.size()), "document.xml",
                                         encoding, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (document != nullptr && context->wellFormed) {
    // The documents nest one element in the next: walk down.
    for (xmlNodePtr node = xmlDocGetRootElement(document); node != nullptr;
         node = node->children != nullptr ? node->children : node->next) {
      if (node->type != XML_ELEMENT_NODE) continue;
      for (xmlAttrPtr attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
        xmlChar* value = xmlNodeGetContent(attribute->children);
        attributes[std::string(reinterpret_cast<const char*>(node->name)) + "@" +
                   reinterpret_cast<const char*>(attribute->name)] =
            value != nullptr ? reinterpret_cast<const char*>(value) : "";
        xmlFree(value);
      }
    }
  }
  if (document != nullptr) xmlFreeDoc(document);
  xmlFreeParserCtxt(context);
  return attributes;
}

std::string AsXmlReadsIt(const std::u16string& value, const std::string& replacement) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char16_t unit = value[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    if (high && i + 1 < value.size() && value[i + 1] >= 0xDC00 && value[i + 1] <= 0xDFFF) {
      out += sim::Utf16ToUtf8(value.substr(i++, 2));
    } else if ((unit < 0x20 && unit != u'\t' && unit != u'\n' && unit != u'\r') ||
               (unit >= 0xD800 && unit <= 0xDFFF) || unit == 0xFFFE || unit == 0xFFFF) {
      out += replacement;
    } else {
      out += sim::Utf16ToUtf8(std::u16string(1, unit));
    }
  }
  return out;
}

}  // namespace testsupport
