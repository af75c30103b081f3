#include "sim/models/wmi/wmi_model.h"

#include "common/ascii_case.h"

namespace sim {

const WmiFault* FindWmiFault(const WmiModel& model, std::string_view step,
                             std::u16string_view className) {
  for (const WmiFault& fault : model.faults) {
    if (fault.step != step) continue;
    if (!fault.className.empty() && !common::SameIgnoringAsciiCase(fault.className, className)) {
      continue;
    }
    return &fault;
  }
  return nullptr;
}

}  // namespace sim
