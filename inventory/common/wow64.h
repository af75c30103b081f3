#pragma once

namespace inventory {

// True on a 64-bit Windows: IsWow64Process exists and says TRUE for this
// (32-bit) process. A missing function or a failed call means no.
bool IsRunningUnderWow64();

}  // namespace inventory
