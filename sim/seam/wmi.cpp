// COM and WMI of the seam: the machine's WMI classes answered through the
// WQL evaluator, with COM's initialisation rules and injectable failures.
#include <cstdio>
#include <map>

#include "platform/wmi.h"
#include "common/ascii_case.h"
#include "sim/core/machine.h"
#include "sim/core/text_codec.h"
#include "sim/seam/wmi_state.h"
#include "sim/models/wmi/wql.h"

namespace {

constexpr platform::HResult kSOk = 0;
constexpr platform::HResult kSFalse = 1;
constexpr platform::HResult kCoENotInitialized = static_cast<platform::HResult>(0x800401F0);
constexpr platform::HResult kRpcETooLate = static_cast<platform::HResult>(0x80010119);
constexpr platform::HResult kEPointer = static_cast<platform::HResult>(0x80004003);
constexpr platform::HResult kWbemENotFound = static_cast<platform::HResult>(0x80041002);
constexpr platform::HResult kWbemEInvalidClass = static_cast<platform::HResult>(0x80041010);
constexpr platform::HResult kWbemEInvalidNamespace = static_cast<platform::HResult>(0x8004100E);
constexpr platform::HResult kWbemEInvalidQuery = static_cast<platform::HResult>(0x80041017);
constexpr platform::HResult kWbemEInvalidQueryType = static_cast<platform::HResult>(0x80041018);

enum class Kind { Locator, Services, Enumerator, Row };

struct Object {
  Kind kind;
  std::vector<const sim::WmiRow*> rows;  // Enumerator: the rows found; Row: its row
  std::size_t next = 0;
  sim::WqlQuery query;
};

struct ComState {
  int initializations = 0;
  bool securitySet = false;
  std::map<platform::ComObject, Object> objects;
  platform::ComObject nextHandle = 0xC0;
};

ComState& Com() {
  static ComState state;
  return state;
}

std::string HrText(platform::HResult result) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(result));
  return text;
}

platform::HResult Traced(platform::HResult result, const std::string& line) {
  sim::Trace(line + " -> " + HrText(result));
  return result;
}

// A failure the machine injects into this step, for this class if it says one.
bool Injected(const std::string& step, const std::u16string& className, platform::HResult* result) {
  for (const sim::WmiFault& fault : sim::CurrentMachine().wmi.faults) {
    if (fault.step != step) continue;
    if (!fault.className.empty() && common::UpperAscii(fault.className) != common::UpperAscii(className)) {
      continue;
    }
    *result = fault.result;
    return true;
  }
  return false;
}

platform::ComObject Add(Object object) {
  const platform::ComObject handle = Com().nextHandle;
  Com().nextHandle += 8;
  Com().objects.emplace(handle, std::move(object));
  return handle;
}

Object* Find(platform::ComObject handle, Kind kind) {
  auto it = Com().objects.find(handle);
  return it != Com().objects.end() && it->second.kind == kind ? &it->second : nullptr;
}

const sim::WmiClass* FindClass(const std::u16string& name) {
  for (const sim::WmiClass& wmiClass : sim::CurrentMachine().wmi.classes) {
    if (common::UpperAscii(wmiClass.name) == common::UpperAscii(name)) return &wmiClass;
  }
  return nullptr;
}

}  // namespace

namespace sim {

int ComInitializations() { return Com().initializations; }
int LiveWmiObjects() { return static_cast<int>(Com().objects.size()); }

}  // namespace sim

namespace platform {

HResult CoInitializeMultithreaded() {
  HResult result = kSOk;
  if (Injected("CoInitializeEx", u"", &result)) return Traced(result, "com.CoInitializeEx MTA");
  ++Com().initializations;
  return Traced(Com().initializations == 1 ? kSOk : kSFalse, "com.CoInitializeEx MTA");
}

HResult CoInitializeSecurityDefault() {
  const std::string line = "com.CoInitializeSecurity";
  if (Com().initializations == 0) return Traced(kCoENotInitialized, line);
  HResult result = kSOk;
  if (Injected("CoInitializeSecurity", u"", &result)) return Traced(result, line);
  // Security is set once while COM stays loaded in the process.
  if (Com().securitySet) return Traced(kRpcETooLate, line);
  Com().securitySet = true;
  return Traced(kSOk, line);
}

void CoUninitialize() {
  if (Com().initializations > 0 && --Com().initializations == 0) Com().securitySet = false;
  sim::Trace("com.CoUninitialize live=" + std::to_string(Com().objects.size()));
}

HResult CreateWbemLocator(ComObject* locator) {
  const std::string line = "com.CoCreateInstance WbemLocator";
  if (locator == nullptr) return Traced(kEPointer, line);
  *locator = 0;
  if (Com().initializations == 0) return Traced(kCoENotInitialized, line);
  HResult result = kSOk;
  if (Injected("CoCreateInstance", u"", &result)) return Traced(result, line);
  *locator = Add(Object{Kind::Locator, {}, 0, {}});
  return Traced(kSOk, line);
}

HResult WbemConnectServer(ComObject locator, const char16_t* nameSpace, ComObject* services) {
  const std::u16string space = nameSpace != nullptr ? nameSpace : u"";
  const std::string line = "wmi.ConnectServer " + sim::Utf16ToUtf8(space);
  if (services == nullptr || Find(locator, Kind::Locator) == nullptr) return Traced(kEPointer, line);
  *services = 0;
  HResult result = kSOk;
  if (Injected("ConnectServer", u"", &result)) return Traced(result, line);
  if (common::UpperAscii(space) != u"ROOT\\CIMV2") return Traced(kWbemEInvalidNamespace, line);
  *services = Add(Object{Kind::Services, {}, 0, {}});
  return Traced(kSOk, line);
}

HResult SetWbemProxyBlanket(ComObject services) {
  const std::string line = "com.CoSetProxyBlanket";
  if (Find(services, Kind::Services) == nullptr) return Traced(kEPointer, line);
  HResult result = kSOk;
  if (Injected("CoSetProxyBlanket", u"", &result)) return Traced(result, line);
  return Traced(kSOk, line);
}

HResult WbemExecQuery(ComObject services, const char16_t* language, const char16_t* query,
                      std::int32_t flags, ComObject* enumerator) {
  const std::u16string text = query != nullptr ? query : u"";
  std::string line = "wmi.ExecQuery \"" + sim::Utf16ToUtf8(text) + "\" flags=" + HrText(flags);
  if (enumerator == nullptr || Find(services, Kind::Services) == nullptr) {
    return Traced(kEPointer, line);
  }
  *enumerator = 0;
  if (language == nullptr || common::UpperAscii(language) != u"WQL") {
    return Traced(kWbemEInvalidQueryType, line);
  }
  Object found{Kind::Enumerator, {}, 0, {}};
  std::string error;
  if (!sim::ParseWql(text, &found.query, &error)) return Traced(kWbemEInvalidQuery, line + " (" + error + ")");
  HResult result = kSOk;
  if (Injected("ExecQuery", found.query.className, &result)) return Traced(result, line);
  const sim::WmiClass* wmiClass = FindClass(found.query.className);
  if (wmiClass == nullptr) return Traced(kWbemEInvalidClass, line);
  for (const sim::WmiRow& row : wmiClass->rows) {
    if (sim::RowMatches(found.query, row)) found.rows.push_back(&row);
  }
  line += " rows=" + std::to_string(found.rows.size());
  *enumerator = Add(std::move(found));
  return Traced(kSOk, line);
}

HResult WbemNext(ComObject enumerator, std::int32_t, ComObject* object, std::uint32_t* returned) {
  if (object == nullptr || returned == nullptr) return kEPointer;
  *object = 0;
  *returned = 0;
  Object* list = Find(enumerator, Kind::Enumerator);
  if (list == nullptr) return Traced(kEPointer, "wmi.Next");
  if (list->next >= list->rows.size()) return Traced(kSFalse, "wmi.Next end");
  Object row{Kind::Row, {list->rows[list->next++]}, 0, list->query};
  *object = Add(std::move(row));
  *returned = 1;
  return Traced(kSOk, "wmi.Next row " + std::to_string(list->next));
}

HResult WbemGet(ComObject object, const char16_t* name, PropertyValue* value) {
  const std::u16string wanted = name != nullptr ? name : u"";
  const std::string line = "wmi.Get " + sim::Utf16ToUtf8(wanted);
  Object* row = Find(object, Kind::Row);
  if (row == nullptr || value == nullptr) return Traced(kEPointer, line);
  *value = PropertyValue{};
  const std::u16string upper = common::UpperAscii(wanted);
  // A query's objects carry only the properties it selected.
  bool selected = row->query.allProperties;
  for (const std::u16string& property : row->query.properties) {
    if (common::UpperAscii(property) == upper) selected = true;
  }
  if (!selected) return Traced(kWbemENotFound, line);
  value->kind = VariantKind::Null;
  for (const auto& [property, text] : row->rows[0]->properties) {
    if (common::UpperAscii(property) != upper || !text) continue;
    value->kind = VariantKind::String;
    value->text = *text;
  }
  return Traced(kSOk, line + (value->kind == VariantKind::Null ? " null"
                                                              : " \"" + sim::Utf16ToUtf8(value->text) + "\""));
}

void Release(ComObject object) { Com().objects.erase(object); }

}  // namespace platform
