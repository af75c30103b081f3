#include "inventory/recoveryscan/narrow_inventory.h"

#include <cstdio>
#include <cstring>

#include "common/timestamp.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace inventory::recoveryscan {

namespace {

constexpr unsigned kRecoveryComponentId = 104763;

void Put(platform::TextFile* file, const char* text) {
  platform::WriteText(file, text, std::strlen(text));
}

}  // namespace

bool WriteNarrowInventory(const char* outputPath, const char* version, const char* display) {
  platform::TextFile* file = platform::OpenTextFile(outputPath, "w");
  char stamp[128];
  common::FormatTimeStamp(platform::GetLocalTime(), stamp, sizeof stamp);
  if (file == nullptr) return false;
  char componentId[16];
  std::snprintf(componentId, sizeof componentId, "%u", kRecoveryComponentId);
  Put(file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
  Put(file, "<SVMInventory lang=\"en\" timeStamp=\"");
  Put(file, stamp);
  Put(file, "\" schemaVersion=\"1.0\">");
  Put(file, "<Device display=\"");
  Put(file, display);
  Put(file, "\" componentID=\"");
  Put(file, componentId);
  Put(file, "\"><Application componentType=\"APAC\" ");
  Put(file, "version=\"");
  Put(file, version);
  Put(file, "\" display=\"");
  Put(file, display);
  Put(file, "\" packageVersion=\"");
  Put(file, version);
  Put(file, "\"></Application></Device>");
  Put(file, "</SVMInventory>");
  platform::CloseTextFile(file);
  return true;
}

}  // namespace inventory::recoveryscan
