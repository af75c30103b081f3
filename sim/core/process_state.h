#pragma once
#include <string>
#include <vector>

namespace sim {

// The command line that CommandLineW and CommandLineA hand out, program
// name first, as UTF-8 text from the host.
void SetCommandLine(const std::vector<std::string>& utf8Arguments);

}  // namespace sim
