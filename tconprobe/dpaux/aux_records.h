#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/com.h"

// The request records of the exported AUX functions. Every record starts
// with its size in bytes; fields are 32-bit little-endian values or
// pointers, in this order, so the 32-bit build has the exact sizes that
// other programs fill in.
namespace dpaux {

// GPU back-ends (gpuType) and display links (displayType).
inline constexpr std::int32_t kGpuAutomatic = 0;
inline constexpr std::int32_t kGpuIntel = 1;
inline constexpr std::int32_t kGpuNvidia = 2;
inline constexpr std::int32_t kGpuAmd = 3;

inline constexpr std::int32_t kDisplayVga = 1;
inline constexpr std::int32_t kDisplayEdp = 2;
inline constexpr std::int32_t kDisplayDp = 3;
inline constexpr std::int32_t kDisplayDviD = 4;
inline constexpr std::int32_t kDisplayDviI = 5;
inline constexpr std::int32_t kDisplayHdmi = 6;

// Option bits of KSXAUX_I2C_PARAM::flags.
inline constexpr std::uint32_t kFlagExtendReadEnd = 0x01;
inline constexpr std::uint32_t kFlagLargeWritePieces = 0x20;
inline constexpr std::uint32_t kFlagReadRepeatedStart = 0x40;
inline constexpr std::uint32_t kFlagWriteHeaderEachTx = 0x80;

struct KSXAUX_OPEN_PARAM {
  std::uint32_t size;
  std::int32_t gpuType;
  std::int32_t displayType;
  std::uint32_t reserved;
};

struct KSXAUX_CLOSE_PARAM {
  std::uint32_t size;
};

struct KSXAUX_NATIVE_PARAM {
  std::uint32_t size;
  std::int32_t displayType;
  std::uint32_t isWrite;
  std::uint32_t dpcdAddress;
  std::uint8_t* data;
  std::uint32_t length;
  std::uint32_t requestBytes;
  std::uint32_t reserved;
};

struct KSXAUX_I2C_PARAM {
  std::uint32_t size;
  std::int32_t displayType;
  std::uint32_t mode;
  std::uint32_t isWrite;
  std::uint32_t i2cAddress;
  std::uint32_t offset;
  std::uint8_t* data;
  std::uint32_t length;
  std::uint32_t reserved;
  std::uint32_t requestBytes;
  std::uint32_t flags;
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(KSXAUX_OPEN_PARAM) == 16);
static_assert(sizeof(KSXAUX_CLOSE_PARAM) == 4);
static_assert(sizeof(KSXAUX_NATIVE_PARAM) == 32);
static_assert(sizeof(KSXAUX_I2C_PARAM) == 44);
static_assert(offsetof(KSXAUX_NATIVE_PARAM, data) == 16 && offsetof(KSXAUX_NATIVE_PARAM, requestBytes) == 24);
static_assert(offsetof(KSXAUX_I2C_PARAM, data) == 24 && offsetof(KSXAUX_I2C_PARAM, requestBytes) == 36 &&
              offsetof(KSXAUX_I2C_PARAM, flags) == 40);
#endif

}  // namespace dpaux

// The exported functions: 0 success, -1 the transaction failed, -2 the
// record was refused. Exported by their plain names, __stdcall in the
// 32-bit build as Windows DLL functions are.
extern "C" {
std::int32_t PLATFORM_STDCALL KSXAUX_OpenDll(dpaux::KSXAUX_OPEN_PARAM* param);
std::int32_t PLATFORM_STDCALL KSXAUX_CloseDll(dpaux::KSXAUX_CLOSE_PARAM* param);
std::int32_t PLATFORM_STDCALL KSXAUX_NativeAuxAccess(dpaux::KSXAUX_NATIVE_PARAM* param);
std::int32_t PLATFORM_STDCALL KSXAUX_I2COverAuxAccess(dpaux::KSXAUX_I2C_PARAM* param);
}
