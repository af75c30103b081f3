#include "inventory/common/output_name.h"

namespace inventory {

bool NamesXmlFile(const std::u16string& name) {
  return name.find(u".xml") != std::u16string::npos || name.find(u".XML") != std::u16string::npos;
}

}  // namespace inventory
