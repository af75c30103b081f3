#pragma once
#include <string>

#include "sim/models/panel/aux_transaction.h"

// The trace line of one bus transaction, whichever GPU interface carried it:
//   aux.i2c write 0xC4 mot=1 bytes=ff0a -> ack
//   aux.native read 0x00000 count=2 -> ack bytes=140a
namespace sim {

std::string AuxLine(const panel::AuxRequest& request, const panel::AuxAnswer& answer);

}  // namespace sim
