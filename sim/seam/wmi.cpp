// WMI of the seam: the machine's WMI classes answered through the WQL
// evaluator, with injectable failures. The locator is a COM class of the
// machine, made by CoCreateInstance.
#include <map>

#include "common/ascii_case.h"
#include "platform/wmi.h"
#include "sim/core/machine.h"
#include "sim/core/text_codec.h"
#include "sim/core/trace.h"
#include "sim/models/wmi/wql.h"
#include "sim/seam/services.h"
#include "sim/seam/start.h"

namespace sim {
namespace {

enum class Kind { Locator, Services, Enumerator, Row };

class WmiObject : public SimulatedComObject {
 public:
  explicit WmiObject(Kind kind) : SimulatedComObject(UnknownMethods()), kind(kind) {}
  bool Implements(const platform::Guid& interfaceId) const override {
    return kind == Kind::Locator && interfaceId == platform::kIidWbemLocator;
  }

  Kind kind;
  std::vector<const WmiRow*> rows;  // Enumerator: the rows found; Row: its row
  std::size_t next = 0;
  WqlQuery query;
};

platform::HResult Traced(platform::HResult result, const std::string& line) {
  Trace(line + " -> " + HexNumber(static_cast<std::uint32_t>(result)));
  return result;
}

// A failure the machine injects into this step, for this class if it says one.
bool Injected(const char* step, const std::u16string& className, platform::HResult* result) {
  const WmiFault* fault = FindWmiFault(CurrentMachine().wmi, step, className);
  if (fault != nullptr) *result = fault->result;
  return fault != nullptr;
}

WmiObject* Find(platform::ComObject object, Kind kind) {
  WmiObject* found = ComObjectOf<WmiObject>(object);
  return found != nullptr && found->kind == kind ? found : nullptr;
}

platform::ComObject Add(std::unique_ptr<WmiObject> object) { return Publish(std::move(object)); }

const WmiClass* FindClass(const std::u16string& name) {
  for (const WmiClass& wmiClass : CurrentMachine().wmi.classes) {
    if (common::SameIgnoringAsciiCase(wmiClass.name, name)) return &wmiClass;
  }
  return nullptr;
}

platform::HResult CreateLocator(const platform::Guid& interfaceId, platform::ComInterface** object) {
  platform::HResult result = platform::kSOk;
  if (Injected("CoCreateInstance", u"", &result)) return result;
  if (!(interfaceId == platform::kIidWbemLocator) && !(interfaceId == platform::kIidUnknown)) {
    return platform::kENoInterface;
  }
  *object = Add(std::make_unique<WmiObject>(Kind::Locator));
  return platform::kSOk;
}

}  // namespace

void RegisterWmiClasses(const Machine&) {
  RegisterComClass("WbemLocator", nullptr, platform::kClsidWbemLocator, CreateLocator);
}

}  // namespace sim

namespace platform {

HResult WbemConnectServer(ComObject locator, const char16_t* nameSpace, ComObject* services) {
  const std::u16string space = nameSpace != nullptr ? nameSpace : u"";
  const std::string line = "wmi.ConnectServer " + sim::Utf16ToUtf8(space);
  if (services == nullptr || sim::Find(locator, sim::Kind::Locator) == nullptr) {
    return sim::Traced(kEPointer, line);
  }
  *services = nullptr;
  HResult result = kSOk;
  if (sim::Injected("ConnectServer", u"", &result)) return sim::Traced(result, line);
  if (!common::SameIgnoringAsciiCase(space, u"ROOT\\CIMV2")) return sim::Traced(kWbemEInvalidNamespace, line);
  *services = sim::Add(std::make_unique<sim::WmiObject>(sim::Kind::Services));
  return sim::Traced(kSOk, line);
}

HResult SetWbemProxyBlanket(ComObject services) {
  const std::string line = "com.CoSetProxyBlanket";
  if (sim::Find(services, sim::Kind::Services) == nullptr) return sim::Traced(kEPointer, line);
  HResult result = kSOk;
  if (sim::Injected("CoSetProxyBlanket", u"", &result)) return sim::Traced(result, line);
  return sim::Traced(kSOk, line);
}

HResult WbemExecQuery(ComObject services, const char16_t* language, const char16_t* query,
                      std::int32_t flags, ComObject* enumerator) {
  const std::u16string text = query != nullptr ? query : u"";
  std::string line = "wmi.ExecQuery \"" + sim::Utf16ToUtf8(text) + "\" flags=" +
                     sim::HexNumber(static_cast<std::uint32_t>(flags));
  if (enumerator == nullptr || sim::Find(services, sim::Kind::Services) == nullptr) {
    return sim::Traced(kEPointer, line);
  }
  *enumerator = nullptr;
  if (language == nullptr || !common::SameIgnoringAsciiCase(language, u"WQL")) {
    return sim::Traced(kWbemEInvalidQueryType, line);
  }
  auto found = std::make_unique<sim::WmiObject>(sim::Kind::Enumerator);
  std::string error;
  if (!sim::ParseWql(text, &found->query, &error)) {
    return sim::Traced(kWbemEInvalidQuery, line + " (" + error + ")");
  }
  HResult result = kSOk;
  if (sim::Injected("ExecQuery", found->query.className, &result)) return sim::Traced(result, line);
  const sim::WmiClass* wmiClass = sim::FindClass(found->query.className);
  if (wmiClass == nullptr) return sim::Traced(kWbemEInvalidClass, line);
  for (const sim::WmiRow& row : wmiClass->rows) {
    if (sim::RowMatches(found->query, row)) found->rows.push_back(&row);
  }
  line += " rows=" + std::to_string(found->rows.size());
  *enumerator = sim::Add(std::move(found));
  return sim::Traced(kSOk, line);
}

HResult WbemNext(ComObject enumerator, std::int32_t, ComObject* object, std::uint32_t* returned) {
  if (object == nullptr || returned == nullptr) return kEPointer;
  *object = nullptr;
  *returned = 0;
  sim::WmiObject* list = sim::Find(enumerator, sim::Kind::Enumerator);
  if (list == nullptr) return sim::Traced(kEPointer, "wmi.Next");
  if (list->next >= list->rows.size()) return sim::Traced(kSFalse, "wmi.Next end");
  auto row = std::make_unique<sim::WmiObject>(sim::Kind::Row);
  row->rows.push_back(list->rows[list->next++]);
  row->query = list->query;
  *object = sim::Add(std::move(row));
  *returned = 1;
  return sim::Traced(kSOk, "wmi.Next row " + std::to_string(list->next));
}

HResult WbemGet(ComObject object, const char16_t* name, PropertyValue* value) {
  const std::u16string wanted = name != nullptr ? name : u"";
  const std::string line = "wmi.Get " + sim::Utf16ToUtf8(wanted);
  sim::WmiObject* row = sim::Find(object, sim::Kind::Row);
  if (row == nullptr || value == nullptr) return sim::Traced(kEPointer, line);
  *value = PropertyValue{};
  // A query's objects carry only the properties it selected.
  bool selected = row->query.allProperties;
  for (const std::u16string& property : row->query.properties) {
    if (common::SameIgnoringAsciiCase(property, wanted)) selected = true;
  }
  if (!selected) return sim::Traced(kWbemENotFound, line);
  value->kind = VariantKind::Null;
  for (const auto& [property, text] : row->rows[0]->properties) {
    if (!common::SameIgnoringAsciiCase(property, wanted) || !text) continue;
    value->kind = VariantKind::String;
    value->text = *text;
  }
  return sim::Traced(kSOk, line + (value->kind == VariantKind::Null
                                       ? " null"
                                       : " \"" + sim::Utf16ToUtf8(value->text) + "\""));
}

}  // namespace platform
