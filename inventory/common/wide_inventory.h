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

// Writes the UTF-16LE inventory document (no byte-order mark). Returns false
// when the file cannot be created; a failed write is not reported.
bool WriteWideInventory(const std::u16string& outputPath, InventoryForm form,
                        const std::u16string& version, const ModuleIdentity& identity);

// The document text, exactly as it goes to the file.
std::u16string WideInventoryText(InventoryForm form, const std::u16string& version,
                                 const ModuleIdentity& identity);

}  // namespace inventory
