#include "inventory/coolingscan/coolingscan.h"
#include "platform/process.h"

int ProgramMain() {
  const auto& line = platform::CrtCommandLineW();
  const std::vector<std::u16string> arguments(line.size() > 1 ? line.begin() + 1 : line.end(),
                                              line.end());
  return inventory::coolingscan::Run(arguments);
}
