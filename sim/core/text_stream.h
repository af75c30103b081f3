#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

// What the C runtime's text mode does on Windows: every LF written becomes
// CR LF. Used for text files and for standard output.
namespace sim {

std::string ToTextMode(const char* text, std::size_t length);

}  // namespace sim
