#pragma once
#include <string>

// The trace: one line per platform call or hardware exchange that the
// machine answers, appended to the machine's trace file when it names one.
// Only the seam writes it; models hand their lines back instead.
namespace sim {

void Trace(const std::string& line);

}  // namespace sim
