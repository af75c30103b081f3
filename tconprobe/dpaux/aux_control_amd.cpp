// The AMD paths of the control object: every I2C transfer is one or more
// DDC messages whose first byte is the device address, carried by ADL_INF
// to the selected display.
#include <cstring>

#include "tconprobe/dpaux/amd_backend.h"
#include "tconprobe/dpaux/aux_control.h"

namespace dpaux {
namespace {

namespace api = platform::adl;

constexpr AuxStatus kFailed = 1;
constexpr std::uint32_t kMaxPiece = 256;      // bytes of one DDC message's data
constexpr std::uint32_t kMaxOffsetBytes = 15;  // mode 6: offset bytes taken from the buffer

std::uint8_t ReadAddress(std::uint8_t address) { return static_cast<std::uint8_t>(address | 1); }
std::uint8_t WriteAddress(std::uint8_t address) { return static_cast<std::uint8_t>(address & 0xFE); }
// Small-EEPROM addressing: the high offset byte picks the 256-byte block.
std::uint8_t BlockAddress(std::uint8_t address, std::uint8_t hi) {
  return static_cast<std::uint8_t>(address | (hi * 2));
}

// A message with nothing to receive.
AuxStatus Send(std::int32_t option, std::uint8_t* message, std::uint32_t length) {
  std::int32_t none = 0;
  return adlInf.DdcBlockAccess(option, static_cast<std::int32_t>(length), message, &none, nullptr);
}

// A message that receives `length` bytes; any other count received fails.
AuxStatus Receive(std::int32_t option, std::uint8_t* message, std::uint32_t messageLength,
                  std::uint8_t* data, std::uint32_t length) {
  auto received = static_cast<std::int32_t>(length);
  const AuxStatus status = adlInf.DdcBlockAccess(option, static_cast<std::int32_t>(messageLength),
                                                 message, &received, data);
  return received == static_cast<std::int32_t>(length) ? status : kFailed;
}

// The offset reads know one failure.
AuxStatus ReadResult(AuxStatus status) { return status == 0 ? 0 : kFailed; }

}  // namespace

AuxStatus KSX_AUX_CTRL_OBJ::AmdI2cRead(std::uint8_t address, std::uint8_t hi, std::uint8_t lo,
                                       std::uint8_t* data, std::uint32_t length,
                                       std::uint32_t readMode) {
  if (length == 0 || length > kMaxPiece) return kFailed;
  std::uint8_t message[1 + kMaxOffsetBytes];
  switch (readMode) {
    case 0: {
      message[0] = BlockAddress(address, hi);
      message[1] = lo;
      if (Send(api::kDdcPlain, message, 2) != 0) return kFailed;
      message[0] = ReadAddress(BlockAddress(address, hi));
      return ReadResult(Receive(api::kDdcPlain, message, 1, data, length));
    }
    case 5:
      message[0] = WriteAddress(address);
      message[1] = hi;
      return ReadResult(Receive(api::kDdcCombined, message, 2, data, length));
    case 6:
      // The offset bytes lead the caller's buffer, which the read then overwrites.
      if (lo > kMaxOffsetBytes || lo > length) return kFailed;
      message[0] = WriteAddress(address);
      std::memcpy(message + 1, data, lo);
      return ReadResult(Receive(api::kDdcCombined, message, 1u + lo, data, length));
    default:
      message[0] = WriteAddress(address);
      message[1] = hi;
      message[2] = lo;
      if (readRepeatedStart)
        return ReadResult(Receive(api::kDdcCombined, message, 3, data, length));
      if (Send(api::kDdcPlain, message, 3) != 0) return kFailed;
      message[0] = ReadAddress(WriteAddress(address));
      return ReadResult(Receive(api::kDdcPlain, message, 1, data, length));
  }
}

AuxStatus KSX_AUX_CTRL_OBJ::AmdI2cWrite(std::uint8_t address, std::uint8_t hi, std::uint8_t lo,
                                        const std::uint8_t* data, std::uint32_t length,
                                        std::uint32_t writeMode) {
  if (length > kMaxPiece) return kFailed;
  std::uint8_t message[3 + kMaxPiece];
  std::uint32_t header = 0;
  if (writeMode == 0) {
    message[header++] = BlockAddress(address, hi);
  } else {
    message[header++] = WriteAddress(address);
    message[header++] = hi;
  }
  message[header++] = lo;
  std::memcpy(message + header, data, length);
  return Send(api::kDdcPlain, message, header + length);
}

AuxStatus KSX_AUX_CTRL_OBJ::AmdRawRead(std::uint8_t* data, std::uint32_t length) {
  if (length == 0) return kFailed;
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t piece = length - done < kMaxPiece ? length - done : kMaxPiece;
    std::uint8_t message[1] = {ReadAddress(channel.i2cAddress)};
    if (const AuxStatus status = Receive(api::kDdcPlain, message, 1, data + done, piece))
      return status;
    done += piece;
  }
  return 0;
}

AuxStatus KSX_AUX_CTRL_OBJ::AmdRawWrite(const std::uint8_t* data, std::uint32_t length) {
  if (length == 0) return kFailed;
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t piece = length - done < kMaxPiece ? length - done : kMaxPiece;
    std::uint8_t message[1 + kMaxPiece];
    message[0] = WriteAddress(channel.i2cAddress);
    std::memcpy(message + 1, data + done, piece);
    if (const AuxStatus status = Send(api::kDdcPlain, message, 1 + piece)) return status;
    done += piece;
  }
  return 0;
}

// Pieces of 128 bytes, or 256 with the option; after each full piece the
// offset moves on by the piece, carrying into the high byte.
AuxStatus KSX_AUX_CTRL_OBJ::AmdOffsetWrite(std::uint8_t hi, std::uint8_t lo,
                                           const std::uint8_t* data, std::uint32_t length) {
  if (length == 0) return kFailed;
  const std::uint32_t pieceSize = largeWritePieces ? 256 : 128;
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t piece = length - done < pieceSize ? length - done : pieceSize;
    if (const AuxStatus status =
            AmdI2cWrite(channel.i2cAddress, hi, lo, data + done, piece, channel.mode))
      return status;
    done += piece;
    if (piece == pieceSize) {
      if (lo >= 256 - pieceSize) ++hi;
      lo = static_cast<std::uint8_t>(lo + pieceSize);
    }
  }
  return 0;
}

}  // namespace dpaux
