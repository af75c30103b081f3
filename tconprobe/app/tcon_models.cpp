#include "tconprobe/app/tcon_models.h"

#include <cstring>

namespace tconprobe {
namespace {

constexpr std::uint8_t kVersionSignature[8] = {0x55, 0xAA, 0x66, 0x99, 'V', 'E', 'R', 'S'};
constexpr std::uint8_t kEepromSignature[4] = {0x2D, 0x5A, 0x5A, 0x5A};

constexpr FlashModel kFlashModels[] = {
    {0x2230, 4, 1, "recommend based model:KS52230.ini"},
    {0x2310, 5, 1, "recommend based model:KS52310.ini"},
    {0x231B, 5, 1, "recommend based model:KS52310.ini"},
    {0x231C, 5, 1, "recommend based model:KS52310.ini"},
    {0x2320, 6, 0, "recommend based model:KS52320.ini"},
    {0x2330, 10, 0, "recommend based model:KS52330.ini"},
};

}  // namespace

// A sum that is a multiple of 256 would make byte 127 read 256, which no
// byte holds: such a block is never flash.
bool IsFlashProbeBlock(const std::uint8_t block[kProbeBlockBytes]) {
  std::uint32_t sum = 0;
  for (std::uint32_t i = 0; i + 1 < kProbeBlockBytes; ++i) sum += block[i];
  const std::uint32_t rest = sum % 256;
  return rest != 0 && block[kProbeBlockBytes - 1] == 256 - rest;
}

int FindVersionRecord(const std::uint8_t* buffer, std::uint32_t size) {
  for (std::uint32_t at = 0; size >= kVersionRecordBytes && at <= size - kVersionRecordBytes; ++at) {
    if (std::memcmp(buffer + at, kVersionSignature, sizeof kVersionSignature) == 0) return static_cast<int>(at);
  }
  return -1;
}

const FlashModel* FindFlashModel(std::uint16_t modelId) {
  for (const FlashModel& model : kFlashModels) {
    if (model.modelId == modelId) return &model;
  }
  return nullptr;
}

bool HasEepromSignature(const std::uint8_t bytes[4]) {
  return std::memcmp(bytes, kEepromSignature, sizeof kEepromSignature) == 0;
}

}  // namespace tconprobe
