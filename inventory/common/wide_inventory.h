#pragma once
#include <string>

namespace inventory {

// The constants a package module puts into its inventory document.
struct ModuleIdentity {
  const char16_t* componentId;
  const char16_t* display;
  const char16_t* componentType;  // "APAC", "DRVR"
};

enum class InventoryForm { Full, Empty };

// Writes the UTF-16LE inventory document (no byte-order mark). Values are
// escaped as XML attributes. Returns false when no document was stored
// (the file could not be created, written or moved into place); the old
// file, if any, is then left as it was and no temporary file remains.
bool WriteWideInventory(const std::u16string& outputPath, InventoryForm form,
                        const std::u16string& version, const ModuleIdentity& identity);

// The document text, exactly as it goes to the file.
std::u16string WideInventoryText(InventoryForm form, const std::u16string& version,
                                 const ModuleIdentity& identity);

}  // namespace inventory
