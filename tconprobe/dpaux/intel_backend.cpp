// The Intel back-end of the control object: every AUX transaction is a
// 32-byte data block handed to the graphics driver's CUI COM object.
#include <cstring>

#include "platform/clock.h"
#include "platform/com.h"
#include "platform/intel_cui.h"
#include "platform/power.h"
#include "tconprobe/dpaux/aux_control.h"
#include "tconprobe/dpaux/aux_records.h"

namespace dpaux {

struct IntelAuxRecord {
  std::uint32_t deviceId;
  std::uint32_t request;    // DisplayPort request command
  std::uint32_t byteCount;  // at most 16
  std::uint32_t address;    // 8-bit I2C device address or DPCD address
  std::uint8_t data[16];
};
static_assert(sizeof(IntelAuxRecord) == 32);

namespace {

namespace cui_api = platform::intel_cui;

constexpr AuxStatus kFailed = 1;
constexpr std::uint32_t kClassContext =
    platform::kClsctxInprocServer | platform::kClsctxLocalServer | platform::kClsctxRemoteServer;

constexpr std::uint32_t kI2cWrite = 0;
constexpr std::uint32_t kI2cRead = 1;
constexpr std::uint32_t kI2cWriteMot = 4;
constexpr std::uint32_t kI2cReadMot = 5;
constexpr std::uint32_t kNativeWrite = 8;
constexpr std::uint32_t kNativeRead = 9;
constexpr std::uint32_t kRecordData = 16;
constexpr std::uint32_t kOffsetPiece = 256;  // registers per offset transfer

constexpr std::uint32_t kErrorNotOpen = 37;
constexpr std::uint32_t kErrorTooLong = 69;
constexpr std::uint32_t kErrorTimeout = 70;
constexpr std::uint32_t kErrorDefer = 72;
constexpr int kRetries = 3;
constexpr std::uint32_t kRetryWaitMs = 5;

// The power feature record, as 45 words; the bits that are switched off
// while the channel is open.
constexpr int kPowerWords = cui_api::kPowerBlockSize / 4;
constexpr int kPowerSource = 0, kOperation = 1, kReserved8 = 2, kRestoreFlags = 3, kMask = 5,
              kFeatures = 6, kTail160 = 40, kRestoreMark = 43;
constexpr std::uint32_t kOperationGet = 3, kOperationSet = 1;
constexpr std::uint32_t kSourceAc = 2, kSourceBattery = 1;
constexpr std::uint32_t kFeature20 = 0x20, kFeature08 = 0x08;

struct DisplayIdCache {
  bool done = false;
  std::int32_t displayType = 0;  // an entry serves only the type it was found for
  std::uint32_t id = 0;
};
DisplayIdCache readIds, writeIds;

bool IsGetRequest(std::uint32_t request) {
  return request == kI2cRead || request == kI2cReadMot || request == kNativeRead;
}

std::uint32_t Smaller(std::uint32_t a, std::uint32_t b) { return a < b ? a : b; }

void Fill(IntelAuxRecord& record, std::uint32_t request, const std::uint8_t* bytes,
          std::uint32_t count) {
  record.request = request;
  record.byteCount = count;
  if (count > 0) std::memcpy(record.data, bytes, count);
}

platform::HResult PowerBlock(platform::ComInterface* cui, int method, std::uint32_t* record) {
  std::uint32_t error = 0;
  return platform::ComMethod<cui_api::DataBlockMethod>(cui, method)(
      cui, cui_api::kPowerBlockId, cui_api::kPowerBlockSize,
      reinterpret_cast<std::uint8_t*>(record), &error);
}

}  // namespace

void ForgetIntelDisplayIds() {
  readIds = DisplayIdCache{};
  writeIds = DisplayIdCache{};
}

// Reads the power feature record for the current power source; a failed
// read leaves the feature word 0, so nothing is switched off or restored.
void KSX_AUX_CTRL_OBJ::ReadPowerFeatures(std::uint32_t* record) {
  std::memset(record, 0, cui_api::kPowerBlockSize);
  platform::PowerStatus power{};
  record[kPowerSource] = platform::GetSystemPowerStatus(&power) && power.acLineStatus == 1
                             ? kSourceAc
                             : kSourceBattery;
  record[kOperation] = kOperationGet;
  record[kReserved8] = 0;
  record[kTail160] = 3;
  if (platform::Failed(PowerBlock(cui, cui_api::kGetDataBlock, record))) record[kFeatures] = 0;
}

AuxStatus KSX_AUX_CTRL_OBJ::IntelOpen() {
  const platform::HResult init = platform::CoInitializeApartment();
  comInitialized = init == platform::kSOk || init == platform::kSFalse;
  cui = nullptr;
  if (platform::Failed(platform::CLSIDFromProgID(cui_api::kProgId, &cuiClassId)) ||
      platform::Failed(
          platform::CoCreateInstance(cuiClassId, kClassContext, cui_api::kInterfaceId, &cui)) ||
      cui == nullptr) {
    cui = nullptr;
    if (comInitialized) platform::CoUninitialize();
    comInitialized = false;
    return kFailed;
  }
  opened = 1;
  std::uint32_t record[kPowerWords];
  ReadPowerFeatures(record);
  savedPowerFeatures = record[kFeatures];
  if (savedPowerFeatures & kFeature20) {
    record[kOperation] = kOperationSet;
    record[kMask] = kFeature20 | kFeature08;
    record[kFeatures] = savedPowerFeatures & ~(kFeature20 | kFeature08);
    PowerBlock(cui, cui_api::kSetDataBlock, record);
  }
  return 0;
}

void KSX_AUX_CTRL_OBJ::IntelClose() {
  if (savedPowerFeatures & kFeature20) {
    std::uint32_t record[kPowerWords];
    ReadPowerFeatures(record);
    record[kOperation] = kOperationSet;
    record[kMask] = kFeature20;
    record[kFeatures] |= kFeature20;
    PowerBlock(cui, cui_api::kSetDataBlock, record);
    if (savedPowerFeatures & kFeature08) {
      record[kRestoreFlags] = 0x1000;
      record[kMask] = kFeature08;
      record[kFeatures] |= kFeature08;
      record[kRestoreMark] = 1;
      PowerBlock(cui, cui_api::kSetDataBlock, record);
    }
  }
  platform::Release(cui);
  cui = nullptr;
  if (comInitialized) platform::CoUninitialize();
  comInitialized = false;
}

AuxStatus KSX_AUX_CTRL_OBJ::FindDisplayId(std::int32_t display, std::uint32_t* id) {
  if (!OpenOn(kGpuIntel) || cui == nullptr) return kFailed;
  const auto enumerate =
      platform::ComMethod<cui_api::EnumAttachedDevicesMethod>(cui, cui_api::kEnumAttachedDevices);
  for (char16_t n = u'1'; n <= u'3'; ++n) {
    char16_t name[] = u"\\\\.\\Display0";
    name[11] = n;
    const platform::Bstr text = platform::SysAllocString(name);
    if (text == nullptr) continue;
    bool found = false;
    for (std::uint32_t index = 0; index < 16 && !found; ++index) {
      std::uint32_t device = 0, type = 0, status = 0;
      if (enumerate(cui, text, index, &device, &type, &status) != platform::kSOk) break;
      if (status == 1) continue;
      const auto deviceType = static_cast<std::int32_t>(type);
      if (deviceType == display || (display == kDisplayDp && deviceType == 7)) {
        *id = device;
        found = true;
      }
    }
    platform::SysFreeString(text);
    if (found) return 0;
  }
  return kFailed;
}

AuxStatus KSX_AUX_CTRL_OBJ::CachedDisplayId(bool forWrite, std::int32_t display,
                                            std::uint32_t* id) {
  DisplayIdCache& cache = forWrite ? writeIds : readIds;
  if (!cache.done || cache.displayType != display) {
    std::uint32_t found = 0;
    if (FindDisplayId(display, &found) != 0) return kFailed;  // a failed lookup is not kept
    cache = DisplayIdCache{true, display, found};
  }
  *id = cache.id;
  return 0;
}

platform::HResult KSX_AUX_CTRL_OBJ::SubmitAux(IntelAuxRecord& record, std::uint32_t* error) {
  if (!OpenOn(kGpuIntel) || cui == nullptr) {
    *error = kErrorNotOpen;
    return platform::kEFail;
  }
  if (record.byteCount > kRecordData) *error = kErrorTooLong;
  const int method = IsGetRequest(record.request) ? cui_api::kGetDataBlock : cui_api::kSetDataBlock;
  return platform::ComMethod<cui_api::DataBlockMethod>(cui, method)(
      cui, cui_api::kAuxBlockId, cui_api::kAuxBlockSize, reinterpret_cast<std::uint8_t*>(&record),
      error);
}

// Errors 70 and 72 share one budget of three retries, 5 ms apart. Any
// other error ends the I2C transaction with an empty write.
AuxStatus KSX_AUX_CTRL_OBJ::TransactAux(IntelAuxRecord& record) {
  int retriesLeft = kRetries;
  for (;;) {
    std::uint32_t error = 0;
    if (platform::Failed(SubmitAux(record, &error))) return kFailed;
    if (error == 0) return 0;
    const bool retryable = error == kErrorTimeout || error == kErrorDefer;
    if (retryable && retriesLeft > 0) {
      --retriesLeft;
      platform::Sleep(kRetryWaitMs);
      continue;
    }
    if (error == kErrorTimeout) return kFailed;
    record.request = kI2cWrite;
    record.byteCount = 0;
    std::uint32_t ignored = 0;
    SubmitAux(record, &ignored);
    return kFailed;
  }
}

AuxStatus KSX_AUX_CTRL_OBJ::IntelI2cRead(std::int32_t display, std::uint8_t address,
                                         std::uint8_t hi, std::uint8_t lo, std::uint8_t* data,
                                         std::uint32_t length, std::uint32_t readMode) {
  IntelAuxRecord record{};
  if (CachedDisplayId(false, display, &record.deviceId) != 0 || channel.requestBytes == 0)
    return kFailed;
  const std::uint8_t twoBytes[] = {hi, lo};
  const std::uint8_t* header = &lo;
  std::uint32_t headerBytes = 1;
  record.address = address;
  if (readMode == 1) {
    header = twoBytes;
    headerBytes = 2;
  } else if (readMode == 5) {
    header = &hi;
  } else if (readMode != 4 && readMode != 6) {
    record.address = (address & 0xF0u) | ((hi * 2u) & 0x0Eu);
  }
  if (readMode == 6) {
    // The caller's buffer starts with the offset bytes, as many as lo says.
    const std::uint32_t count = lo == 0 ? 256 : lo;
    if (count > length) return kFailed;
    for (std::uint32_t sent = 0; sent < count;) {
      const std::uint32_t piece = Smaller(channel.requestBytes, count - sent);
      Fill(record, kI2cWriteMot, data + sent, piece);
      if (const AuxStatus status = TransactAux(record)) return status;
      sent += piece;
    }
  } else if (readMode != 4) {
    Fill(record, readRepeatedStart || readMode == 5 ? kI2cWriteMot : kI2cWrite, header,
         headerBytes);
    if (const AuxStatus status = TransactAux(record)) return status;
  }
  platform::Sleep(1);
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t left = length - done;
    const std::uint32_t asked = Smaller(channel.requestBytes, left);
    record.request = left > channel.requestBytes || extendReadEnd ? kI2cReadMot : kI2cRead;
    record.byteCount = asked;
    if (const AuxStatus status = TransactAux(record)) return status;
    // A count of 0 would never end; one above the piece would overrun the buffer.
    if (record.byteCount == 0 || record.byteCount > asked) return kFailed;
    std::memcpy(data + done, record.data, record.byteCount);
    done += record.byteCount;
  }
  if (extendReadEnd) {
    for (int i = 0; i < 2; ++i) {
      Fill(record, kI2cWrite, nullptr, 0);
      TransactAux(record);
    }
  }
  return 0;
}

AuxStatus KSX_AUX_CTRL_OBJ::IntelI2cWrite(std::int32_t display, std::uint8_t address,
                                          std::uint8_t hi, std::uint8_t lo,
                                          const std::uint8_t* data, std::uint32_t length,
                                          std::uint32_t writeMode) {
  IntelAuxRecord record{};
  if (CachedDisplayId(true, display, &record.deviceId) != 0 || channel.requestBytes == 0)
    return kFailed;
  const auto blockAddress = [address](std::uint8_t high) { return (address & 0xF0u) | ((high * 2u) & 0x0Eu); };
  if (writeHeaderEachTx) {
    const std::uint32_t headerBytes = writeMode == 1 ? 2 : 1;
    for (std::uint32_t done = 0; done < length;) {
      record.address = writeMode == 1 ? address : blockAddress(hi);
      const std::uint32_t left = length - done;
      const bool cut =
          channel.requestBytes > headerBytes && channel.requestBytes < left + headerBytes;
      const std::uint32_t dataBytes = cut ? channel.requestBytes - headerBytes : left;
      if (headerBytes + dataBytes > kRecordData)
        return kFailed;  // never more than the record holds
      std::uint8_t* at = record.data;
      if (writeMode == 1) *at++ = hi;
      *at++ = lo;
      std::memcpy(at, data + done, dataBytes);
      record.request = kI2cWrite;
      record.byteCount = headerBytes + dataBytes;
      const std::uint32_t asked = record.byteCount;
      if (const AuxStatus status = TransactAux(record)) return status;
      if (record.byteCount <= headerBytes || record.byteCount > asked) return kFailed;
      const std::uint32_t advanced = record.byteCount - headerBytes;
      done += advanced;
      // The offset advances as one 16-bit number: a write that crosses a
      // 256-byte boundary goes on in the next block, not back at its start.
      const std::uint32_t offset = ((hi << 8) | lo) + advanced;
      hi = static_cast<std::uint8_t>(offset >> 8);
      lo = static_cast<std::uint8_t>(offset);
    }
    return 0;
  }
  const std::uint8_t twoBytes[] = {hi, lo};
  record.address = writeMode == 1 || writeMode == 2 ? address : blockAddress(hi);
  if (writeMode != 2) {
    Fill(record, kI2cWriteMot, writeMode == 1 ? twoBytes : &lo, writeMode == 1 ? 2 : 1);
    TransactAux(record);  // the header's own result is not looked at
  }
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t left = length - done;
    const std::uint32_t asked = Smaller(channel.requestBytes, left);
    Fill(record, left > channel.requestBytes ? kI2cWriteMot : kI2cWrite, data + done, asked);
    if (const AuxStatus status = TransactAux(record)) return status;
    if (record.byteCount == 0 || record.byteCount > asked) return kFailed;
    done += record.byteCount;
  }
  return 0;
}

AuxStatus KSX_AUX_CTRL_OBJ::IntelOffsetTransfer(std::int32_t display, std::uint8_t hi,
                                                std::uint8_t lo, const std::uint8_t* source,
                                                std::uint8_t* target, std::uint32_t length) {
  for (std::uint32_t done = 0; done < length; ++hi) {
    const std::uint32_t piece = Smaller(length - done, kOffsetPiece);
    const std::uint8_t address = channel.i2cAddress;
    const AuxStatus status =
        source != nullptr
            ? IntelI2cWrite(display, address, hi, lo, source + done, piece, channel.mode)
            : IntelI2cRead(display, address, hi, lo, target + done, piece, channel.mode);
    if (status != 0) return status;
    done += piece;
  }
  return 0;
}

AuxStatus KSX_AUX_CTRL_OBJ::IntelNative(std::int32_t display, std::uint32_t address,
                                        const std::uint8_t* source, std::uint8_t* target,
                                        std::uint32_t length) {
  IntelAuxRecord record{};
  if (FindDisplayId(display, &record.deviceId) != 0 || channel.requestBytes == 0) return kFailed;
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t piece = Smaller(channel.requestBytes, length - done);
    record.address = address + done;
    if (source != nullptr) {
      Fill(record, kNativeWrite, source + done, piece);
    } else {
      Fill(record, kNativeRead, nullptr, 0);
      record.byteCount = piece;
    }
    if (const AuxStatus status = TransactAux(record)) return status;
    std::uint32_t advanced = piece;
    if (source == nullptr) {
      if (record.byteCount == 0 || record.byteCount > piece) return kFailed;
      std::memcpy(target + done, record.data, record.byteCount);
      advanced = record.byteCount;  // a short answer: the rest is asked for again
    }
    done += advanced;
  }
  return 0;
}

}  // namespace dpaux
