#include "inventory/common/wow64.h"

#include "platform/process.h"

namespace inventory {

bool IsRunningUnderWow64() {
  const platform::IsWow64ProcessFn isWow64Process = platform::FindIsWow64Process();
  if (isWow64Process == nullptr) return false;
  bool isWow64 = false;
  if (!isWow64Process(&isWow64)) return false;
  return isWow64;
}

}  // namespace inventory
