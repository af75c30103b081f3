#include "sim/seam/aux_trace.h"

#include <cstdio>
#include <vector>

#include "sim/core/machine.h"
#include "sim/core/text_codec.h"
#include "sim/core/trace.h"

namespace sim {

std::string AuxTraceLine(const panel::AuxRequest& request, const panel::AuxAnswer& answer) {
  const bool native = panel::IsNative(request.command);
  const bool read = panel::IsRead(request.command);
  std::string line = native ? "aux.native " : "aux.i2c ";
  line += read                                                ? "read "
          : (request.command & 0x3) == panel::kI2cWriteStatus ? "write-status "
                                                              : "write ";
  char address[16];
  if (native) {
    std::snprintf(address, sizeof address, "0x%05X", request.address);
    line += address;
  } else {
    std::snprintf(address, sizeof address, "0x%02X", request.address << 1);
    line += address;
    line += panel::HasMot(request.command) ? " mot=1" : " mot=0";
  }
  line += read ? " count=" + std::to_string(request.length)
               : " bytes=" + ToHex(std::vector<std::uint8_t>(request.data, request.data + request.length));
  switch (answer.reply) {
    case panel::AuxReply::Ack:
      line += " -> ack";
      break;
    case panel::AuxReply::Nack:
      line += " -> nack";
      break;
    case panel::AuxReply::Defer:
      line += " -> defer";
      break;
  }
  if (read && answer.reply == panel::AuxReply::Ack)
    line += " bytes=" + ToHex(std::vector<std::uint8_t>(answer.data, answer.data + answer.count));
  return line;
}

void RecordAuxTransaction(const panel::AuxRequest& request, const panel::AuxAnswer& answer) {
  Trace(AuxTraceLine(request, answer));
  Machine& machine = CurrentMachine();
  machine.clock.microseconds += machine.clock.auxTransactionMicroseconds;
}

}  // namespace sim
