#include "sim/core/handles.h"

#include "common/ascii_case.h"
#include "sim/core/handle_table.h"

namespace sim {
namespace {

using OpenObjects = HandleTable<platform::Handle, OpenObject>;

OpenObjects& Table() {
  static OpenObjects table(0x100, 4);
  return table;
}

platform::Status& LastErrorSlot() {
  static platform::Status status = 0;
  return status;
}

}  // namespace

platform::Handle AddHandle(const OpenObject& object) {
  return Table().Add(object);
}

OpenObject* FindHandle(platform::Handle handle) {
  return Table().Find(handle);
}

bool RemoveHandle(platform::Handle handle) { return Table().Remove(handle); }

int CountOpen(const std::u16string& name) {
  int count = 0;
  const std::u16string upper = common::UpperAscii(name);
  for (const auto& [handle, object] : Table().Open()) {
    if (common::UpperAscii(object.name) == upper) ++count;
  }
  return count;
}

void SetLastError(platform::Status status) { LastErrorSlot() = status; }

void ResetHandles() {
  Table().Clear();
  LastErrorSlot() = 0;
}

}  // namespace sim

platform::Status platform::LastError() { return sim::LastErrorSlot(); }
