#pragma once
#include <string>

#include "sim/core/json_reader.h"
#include "sim/models/panel/panel.h"

// The "panel" section of the machine file: the sink's DPCD registers, the
// TCON, the MCU with its faults, the firmware ROM and forced bus replies.
namespace sim {

bool LoadPanelSection(const Json& section, panel::Panel& panel, std::string* error);

}  // namespace sim
