#include "sim/seam/ansi_path.h"

#include "sim/core/host_path.h"
#include "sim/core/machine.h"
#include "sim/core/text_codec.h"

namespace sim {

bool AnsiHostPath(const char* name, std::string* path) {
  std::u16string wide;
  for (const char* p = name; *p != 0; ++p) wide += AnsiByteToWide(static_cast<unsigned char>(*p));
  return HostPath(wide, CurrentMachine().driveC, path);
}

}  // namespace sim
