#pragma once
#include <cstdint>

// What detection recognises a TCON by: a probe block that is flash, the
// version record in the flash with its model id, an EEPROM's signature, and
// the configuration each model gets.
namespace tconprobe {

inline constexpr std::uint32_t kProbeBlockBytes = 128;

// Bytes 0 to 126 that do not add up to a multiple of 256, and byte 127 that
// makes the whole sum one.
bool IsFlashProbeBlock(const std::uint8_t block[kProbeBlockBytes]);

// 55 AA 66 99 "VERS", followed by the model id, high byte first.
inline constexpr std::uint32_t kVersionRecordBytes = 10;

// The first position whose eight signature bytes match and whose model id
// lies inside the buffer; -1 when there is none.
int FindVersionRecord(const std::uint8_t* buffer, std::uint32_t size);

struct FlashModel {
  std::uint16_t modelId;
  std::uint32_t initFlow;      // TCON_INIT_FLOW
  std::int32_t oneByteReads;   // REG_ONE_BYTE_READ
  const char* recommendation;
};

// The row of a flash model id; null for an id the table does not know.
const FlashModel* FindFlashModel(std::uint16_t modelId);

// "-ZZZ", at EEPROM offset 0x0400 or 0x0500.
bool HasEepromSignature(const std::uint8_t bytes[4]);

struct EepromModel {
  const char* series;  // the memory line
  std::uint32_t initFlow;
  const char* recommendation;
};
inline constexpr EepromModel kEeprom400{"EEPROM:400 Series", 2, "recommend based model:KS52400.ini"};
inline constexpr EepromModel kEeprom040{"EEPROM:040 Series", 8, "recommend based model:KS52410.ini"};

}  // namespace tconprobe
