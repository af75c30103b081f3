#include "drivetag/host_facts.h"

#include <memory>
#include <new>

#include "drivetag/facts_table.h"
#include "drivetag/log.h"
#include "drivetag/text_convert.h"
#include "drivetag/wmi_query.h"

namespace drivetag {
namespace {

// The caption's first 17 characters ("Microsoft Windows") are left out; its
// tail keeps the blank that follows them.
constexpr std::size_t kCaptionPrefix = 17;

void SystemDriverRow(platform::ComObject row, void* context) {
  auto* scratch = static_cast<char16_t*>(context);
  const std::u16string name = StringProperty(row, u"Name");
  SayWide(u"strorage driver name is :" + name + u"\n");
  StoreScratch(scratch, driver_field::kService, name);
  SayWide(u"strorage driver name post assignemnt :" +
          std::u16string(ScratchField(scratch, driver_field::kService)) + u"\n");
  StoreScratch(scratch, driver_field::kName, StringProperty(row, u"displayname"));
  StoreScratch(scratch, driver_field::kPath, StringProperty(row, u"PathName"));
}

void PnpDriverRow(platform::ComObject row, void* context) {
  auto* scratch = static_cast<char16_t*>(context);
  StoreScratch(scratch, driver_field::kName, StringProperty(row, u"devicename"));
  StoreScratch(scratch, driver_field::kVersion, StringProperty(row, u"driverversion"));
}

void OperatingSystemRow(platform::ComObject row, void* context) {
  const std::u16string caption = StringProperty(row, u"caption");
  const std::u16string version = StringProperty(row, u"version");
  const std::u16string tail = caption.size() > kCaptionPrefix ? caption.substr(kCaptionPrefix) : u"";
  *static_cast<std::string*>(context) = "Build " + LowBytes(version) + LowBytes(tail);
}

void ModelRow(platform::ComObject row, void* context) {
  *static_cast<std::string*>(context) = "ORVO " + LowBytes(StringProperty(row, u"Model"));
}

void ProcessorRow(platform::ComObject row, void* context) {
  *static_cast<std::string*>(context) = LowBytes(StringProperty(row, u"Name"));
}

void FirmwareRow(platform::ComObject row, void* context) {
  *static_cast<std::string*>(context) =
      "BIOS " + LowBytes(StringProperty(row, u"SMBIOSBIOSVersion"));
}

void DisplayRow(platform::ComObject row, void* context) {
  auto* scratch = static_cast<char16_t*>(context);
  StoreScratch(scratch, display_field::kName, StringProperty(row, u"Name"));
  StoreScratch(scratch, display_field::kVersion, StringProperty(row, u"driverversion"));
}

std::string NarrowQuery(const char* query, RowHandler handler) {
  std::string result;
  RunWmiQuery(query, handler, &result);
  return result;
}

bool QuerySystemDriver(char16_t* driverScratch) {
  return RunWmiQuery(
      " select Name,PathName,displayname from  Win32_systemdriver WHERE displayname LIKE '%RST%' ",
      SystemDriverRow, driverScratch);
}

bool QueryPnpDriver(char16_t* driverScratch) {
  return RunWmiQuery(
      " select devicename,driverversion from  Win32_PnPsigneddriver WHERE devicename LIKE '%RST%' "
      "AND NOT devicename LIKE '%09AB%' ",
      PnpDriverRow, driverScratch);
}

std::string QueryOperatingSystem() {
  return NarrowQuery("SELECT  caption,version FROM Win32_OperatingSystem", OperatingSystemRow);
}

std::string QuerySystemModel() {
  return NarrowQuery("SELECT  Model FROM win32_computersystem", ModelRow);
}

std::string QueryProcessor() { return NarrowQuery("SELECT  Name FROM  win32_processor", ProcessorRow); }

std::string QueryFirmwareVersion() {
  return NarrowQuery("SELECT  SMBIOSBIOSVersion FROM win32_bios", FirmwareRow);
}

void QueryDisplayDriver(char16_t* displayScratch) {
  RunWmiQuery(" select Name, driverversion from  Win32_VideoController  ", DisplayRow,
              displayScratch);
}

}  // namespace

void StoreScratch(char16_t* scratch, std::size_t field, std::u16string_view value) {
  char16_t* out = scratch + field * kScratchFieldChars;
  std::size_t length = 0;
  while (length < value.size() && length + 1 < kScratchFieldChars && value[length] != 0) ++length;
  for (std::size_t i = 0; i < kScratchFieldChars; ++i) out[i] = i < length ? value[i] : u'\0';
}

std::u16string_view ScratchField(const char16_t* scratch, std::size_t field) {
  const char16_t* start = scratch + field * kScratchFieldChars;
  std::size_t length = 0;
  while (length < kScratchFieldChars && start[length] != 0) ++length;
  return std::u16string_view(start, length);
}

int CollectHostFacts(char16_t* facts) {
  std::unique_ptr<char16_t[]> driver(new (std::nothrow) char16_t[kDriverScratchChars]());
  if (driver == nullptr) return 0;
  if (QuerySystemDriver(driver.get())) QueryPnpDriver(driver.get());
  const std::string system = QueryOperatingSystem();
  const std::string model = QuerySystemModel();
  const std::string processor = QueryProcessor();
  const std::string firmware = QueryFirmwareVersion();
  std::unique_ptr<char16_t[]> display(new (std::nothrow) char16_t[kDisplayScratchChars]());
  if (display == nullptr) return 0;
  QueryDisplayDriver(display.get());

  StoreFact(facts, 1, ScratchField(driver.get(), driver_field::kName));
  StoreFact(facts, 3, ScratchField(driver.get(), driver_field::kVersion));
  StoreFact(facts, 2, ScratchField(driver.get(), driver_field::kService));
  StoreFact(facts, 13, ScratchField(driver.get(), driver_field::kPath));
  StoreFact(facts, 14, ScratchField(display.get(), display_field::kName));
  StoreFact(facts, 15, ScratchField(display.get(), display_field::kVersion));
  StoreFact(facts, 12, FromThreadAnsi(firmware));
  StoreFact(facts, 10, FromThreadAnsi(system));
  StoreFact(facts, 11, FromThreadAnsi(model));
  StoreFact(facts, 7, FromThreadAnsi(processor));
  return 1;
}

}  // namespace drivetag
