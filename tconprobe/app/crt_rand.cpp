#include "tconprobe/app/crt_rand.h"

namespace tconprobe {
namespace {

std::uint32_t gRandState = 1;

}  // namespace

int CrtRand() {
  gRandState = gRandState * 214013u + 2531011u;
  return static_cast<int>((gRandState >> 16) & 0x7FFF);
}

void CrtSrand(std::uint32_t seed) { gRandState = seed; }

}  // namespace tconprobe
