#include "sim/core/handles.h"

#include <map>

#include "common/ascii_case.h"
#include "sim/core/machine.h"
#include "sim/core/text_codec.h"

namespace sim {
namespace {

struct HandleTable {
  std::map<platform::Handle, OpenObject> objects;
  platform::Handle next = 0x100;
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

platform::Status& LastErrorSlot() {
  static platform::Status status = 0;
  return status;
}

}  // namespace

platform::Handle AddHandle(const OpenObject& object) {
  HandleTable& table = Table();
  const platform::Handle handle = table.next;
  table.next += 4;
  table.objects[handle] = object;
  return handle;
}

OpenObject* FindHandle(platform::Handle handle) {
  auto it = Table().objects.find(handle);
  return it == Table().objects.end() ? nullptr : &it->second;
}

bool RemoveHandle(platform::Handle handle) { return Table().objects.erase(handle) != 0; }

int CountOpen(const std::u16string& name) {
  int count = 0;
  const std::u16string upper = common::UpperAscii(name);
  for (const auto& [handle, object] : Table().objects) {
    if (common::UpperAscii(object.name) == upper) ++count;
  }
  return count;
}

void SetLastError(platform::Status status) { LastErrorSlot() = status; }

void ResetHandles() {
  Table() = HandleTable{};
  LastErrorSlot() = 0;
}

}  // namespace sim

platform::Status platform::LastError() { return sim::LastErrorSlot(); }
