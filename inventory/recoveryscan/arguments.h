#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "inventory/recoveryscan/run_log.h"

namespace inventory::recoveryscan {

// Output and log names live in buffers of this many characters, terminator
// included.
inline constexpr std::size_t kNameBufferChars = 260;

struct RecoveryArguments {
  char outputName[kNameBufferChars] = {};  // empty: no "-o" or "/o" with a name
};

// Scans the arguments (program name excluded) from first to last, opening
// each log that "-l" or "-p" names. Returns false on a command-line failure,
// after printing the usage: no arguments, "-o" without a name, a help
// option, or a name too long for its buffer.
bool ParseRecoveryArguments(const std::vector<std::string>& arguments, RecoveryArguments* parsed,
                            RunLog& log);

void PrintUsage();

// Whether two names reach the same file: their full paths, compared as
// Windows compares names (ASCII letters without regard to case).
bool NameTheSameFile(const char* first, const char* second);

}  // namespace inventory::recoveryscan
