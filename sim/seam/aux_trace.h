#pragma once
#include <string>

#include "sim/models/panel/aux_transaction.h"

// The bus transactions that the GPU libraries' adapters make on the panel.
namespace sim {

// aux.i2c write 0xC4 mot=1 bytes=ff0a -> ack
std::string AuxTraceLine(const panel::AuxRequest& request, const panel::AuxAnswer& answer);

// A transaction that reached the bus: traced, and its time passes on the
// machine's clock.
void RecordAuxTransaction(const panel::AuxRequest& request, const panel::AuxAnswer& answer);

}  // namespace sim
