// Starts with msi.dll loaded as the recovery module loads it, does nothing,
// ends: the yardstick for that module's own work under Wine
// (scripts/wine-cost.sh). The call is never made; it only keeps the import.
#include "platform/installer.h"

int main(int argc, char**) {
  if (argc > 1000) {
    char product[39] = {};
    return static_cast<int>(platform::MsiEnumRelatedProductsA("", 0, 0, product));
  }
  return 0;
}
