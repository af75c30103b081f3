#pragma once
#include <cstdint>

// The Windows C runtime's rand sequence, kept in program code so that every
// build sends the same challenge bytes. Never seeded by the program: the
// runtime's start value is 1 (0x29, 0x23, 0xBE are the low bytes of the
// first three values).
namespace tconprobe {

int CrtRand();
void CrtSrand(std::uint32_t seed);

}  // namespace tconprobe
