// The Intel CUI object of the simulated machine: a real method table over
// the machine's CUI model and panel, registered under its ProgID when the
// machine has an Intel GPU. Every call and every bus transaction is traced;
// each transaction costs its simulated time.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/intel_cui.h"
#include "sim/core/machine.h"
#include "sim/core/trace.h"
#include "sim/core/text_codec.h"
#include "sim/seam/aux_trace.h"
#include "sim/seam/services.h"
#include "sim/seam/start.h"

namespace sim {
namespace {

namespace api = platform::intel_cui;
using platform::HResult;

constexpr HResult kENotImpl = static_cast<HResult>(0x80004001u);

std::string Hex8(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

std::uint32_t Word(const std::uint8_t* record, int index) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | record[index * 4 + i];
  return value;
}

std::string BlockLine(bool set, const platform::Guid& block, std::uint32_t size,
                      const std::uint8_t* before, const std::uint8_t* after, HResult result,
                      std::uint32_t error) {
  std::string line = set ? "cui.SetDataBlock " : "cui.GetDataBlock ";
  if (block == api::kAuxBlockId && size == api::kAuxBlockSize) {
    line += "aux device=" + Hex8(Word(before, 0)) + " code=" + std::to_string(Word(before, 1)) +
            " count=" + std::to_string(Word(before, 2)) + " address=" + HexNumber(Word(before, 3));
  } else if (block == api::kPowerBlockId && size == api::kPowerBlockSize) {
    line += "power source=" + std::to_string(Word(before, 0)) +
            " operation=" + std::to_string(Word(before, 1)) +
            " word8=" + std::to_string(Word(before, 2)) + " word12=" + HexNumber(Word(before, 3)) +
            " mask=" + HexNumber(Word(before, 5)) + " features=" + HexNumber(Word(before, 6)) +
            " word160=" + std::to_string(Word(before, 40)) +
            " word172=" + std::to_string(Word(before, 43));
  } else {
    line += "size=" + std::to_string(size);
  }
  line += " -> " + Hex8(static_cast<std::uint32_t>(result)) + " error=" + std::to_string(error);
  if (after != nullptr) {
    if (block == api::kAuxBlockId) line += " count=" + std::to_string(Word(after, 2));
    if (block == api::kPowerBlockId) line += " features=" + HexNumber(Word(after, 6));
  }
  return line;
}

HResult DataBlock(bool set, platform::Guid block, std::uint32_t size, std::uint8_t* record,
                  std::uint32_t* error) {
  if (record == nullptr || error == nullptr) return platform::kEPointer;
  Machine& machine = CurrentMachine();
  if (!machine.intelGpu) return platform::kEFail;
  std::vector<std::uint8_t> before(record, record + (size < 180 ? size : 180));
  before.resize(180);
  const intel::BlockAnswer answer = intel::DataBlock(
      *machine.intelGpu, machine.panel, machine.clock.microseconds, set, block, size, record);
  if (answer.busUsed) RecordAuxTransaction(answer.request, answer.bus);
  if (!platform::Failed(answer.result)) *error = answer.error;
  Trace(BlockLine(set, block, size, before.data(),
                  platform::Failed(answer.result) ? nullptr : record, answer.result, answer.error));
  return answer.result;
}

HResult PLATFORM_STDCALL GetDataBlock(platform::ComInterface*, platform::Guid block,
                                      std::uint32_t size, std::uint8_t* record,
                                      std::uint32_t* error) {
  return DataBlock(false, block, size, record, error);
}

HResult PLATFORM_STDCALL SetDataBlock(platform::ComInterface*, platform::Guid block,
                                      std::uint32_t size, std::uint8_t* record,
                                      std::uint32_t* error) {
  return DataBlock(true, block, size, record, error);
}

HResult PLATFORM_STDCALL EnumAttachedDevices(platform::ComInterface*, platform::Bstr display,
                                             std::uint32_t index, std::uint32_t* id,
                                             std::uint32_t* type, std::uint32_t* status) {
  if (display == nullptr || id == nullptr || type == nullptr || status == nullptr)
    return platform::kEPointer;
  const Machine& machine = CurrentMachine();
  if (!machine.intelGpu) return platform::kEFail;
  const std::u16string name(display);
  const intel::EnumAnswer answer = intel::EnumAttachedDevices(*machine.intelGpu, name, index);
  std::string line = "cui.EnumAttachedDevices \"" + Utf16ToUtf8(name) +
                     "\" index=" + std::to_string(index) + " -> " +
                     Hex8(static_cast<std::uint32_t>(answer.result));
  if (answer.result == platform::kSOk) {
    *id = answer.id;
    *type = answer.type;
    *status = answer.status;
    line += " id=" + Hex8(answer.id) + " type=" + std::to_string(answer.type) +
            " status=" + std::to_string(answer.status);
  }
  Trace(line);
  return answer.result;
}

std::uint32_t PLATFORM_STDCALL Release(platform::ComInterface* self) {
  const std::uint32_t left = ComRelease(self);
  Trace("cui.Release -> " + std::to_string(left));
  return left;
}

HResult PLATFORM_STDCALL NotImplemented(platform::ComInterface*) { return kENotImpl; }

struct MethodTable {
  void* entries[api::kMethodCount];
  MethodTable() {
    for (void*& entry : entries) entry = MethodEntry(NotImplemented);
    entries[platform::kQueryInterfaceMethod] = MethodEntry(ComQueryInterface);
    entries[platform::kAddRefMethod] = MethodEntry(ComAddRef);
    entries[platform::kReleaseMethod] = MethodEntry(Release);
    entries[api::kEnumAttachedDevices] = MethodEntry(EnumAttachedDevices);
    entries[api::kGetDataBlock] = MethodEntry(GetDataBlock);
    entries[api::kSetDataBlock] = MethodEntry(SetDataBlock);
  }
};
const MethodTable methodTable;

class CuiObject : public SimulatedComObject {
 public:
  CuiObject() : SimulatedComObject(methodTable.entries) {}
  bool Implements(const platform::Guid& interfaceId) const override {
    return interfaceId == api::kInterfaceId;
  }
};

HResult Create(const platform::Guid& interfaceId, platform::ComInterface** object) {
  if (!(interfaceId == api::kInterfaceId) && !(interfaceId == platform::kIidUnknown))
    return platform::kENoInterface;
  *object = Publish(std::make_unique<CuiObject>());
  return platform::kSOk;
}

}  // namespace

void RegisterIntelCui(const Machine& machine) {
  if (machine.intelGpu) RegisterComClass("Igfxext.CUIExternal", api::kProgId, intel::kCuiClassId, Create);
}

}  // namespace sim
