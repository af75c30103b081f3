// Another program that loads tconprobe.exe and calls its exported AUX
// functions, as the Wine tests do: prints "<case> <result>" per call.
//   aux_caller PATH_OF_TCONPROBE
// The records are filled as other programs fill them, with null data and
// huge lengths too. Wine resolves no imports of an EXE loaded as a library,
// so only calls that reach no system function are made: the record checks,
// transfers on the closed channel, opening no back-end, and close.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>

#include "tconprobe/dpaux/aux_records.h"

namespace {

using OpenFn = std::int32_t(PLATFORM_STDCALL*)(dpaux::KSXAUX_OPEN_PARAM*);
using CloseFn = std::int32_t(PLATFORM_STDCALL*)(dpaux::KSXAUX_CLOSE_PARAM*);
using NativeFn = std::int32_t(PLATFORM_STDCALL*)(dpaux::KSXAUX_NATIVE_PARAM*);
using I2cFn = std::int32_t(PLATFORM_STDCALL*)(dpaux::KSXAUX_I2C_PARAM*);

template <typename Function>
Function Find(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  HMODULE module = LoadLibraryA(argv[1]);
  if (module == nullptr) {
    std::printf("load failed %lu\n", GetLastError());
    return 1;
  }
  const auto open = Find<OpenFn>(module, "KSXAUX_OpenDll");
  const auto close = Find<CloseFn>(module, "KSXAUX_CloseDll");
  const auto native = Find<NativeFn>(module, "KSXAUX_NativeAuxAccess");
  const auto i2c = Find<I2cFn>(module, "KSXAUX_I2COverAuxAccess");
  if (open == nullptr || close == nullptr || native == nullptr || i2c == nullptr) {
    std::printf("missing export\n");
    return 1;
  }
  std::uint8_t buffer[16] = {};
  std::printf("open-null %d\n", open(nullptr));
  std::printf("close-null %d\n", close(nullptr));
  std::printf("native-null %d\n", native(nullptr));
  std::printf("i2c-null %d\n", i2c(nullptr));
  dpaux::KSXAUX_NATIVE_PARAM nativeRecord{sizeof nativeRecord, 2, 0, 0x100, buffer, 0, 0, 0};
  std::printf("native-length-0 %d\n", native(&nativeRecord));
  nativeRecord.length = 0xFFFFFFFFu;
  nativeRecord.data = nullptr;
  std::printf("native-null-data %d\n", native(&nativeRecord));
  nativeRecord.data = buffer;
  nativeRecord.length = 1;
  const std::int32_t closedNative = native(&nativeRecord);
  std::printf("native-closed %d requestBytes=%u\n", closedNative, nativeRecord.requestBytes);
  dpaux::KSXAUX_I2C_PARAM i2cRecord{sizeof i2cRecord, 2, 1, 0, 0xC2, 0x1234, buffer, 0, 0, 0, 0};
  std::printf("i2c-length-0 %d\n", i2c(&i2cRecord));
  i2cRecord.length = 4;
  i2cRecord.requestBytes = 16;
  i2cRecord.mode = 7;
  const std::int32_t closedI2c = i2c(&i2cRecord);
  std::printf("i2c-closed %d requestBytes=%u offset=0x%X\n", closedI2c, i2cRecord.requestBytes, i2cRecord.offset);
  for (const std::int32_t gpu : {0, 4, -1}) {
    dpaux::KSXAUX_OPEN_PARAM openRecord{sizeof openRecord, gpu, 2, 0};
    std::printf("open-gpu-%d %d\n", static_cast<int>(gpu), open(&openRecord));
  }
  dpaux::KSXAUX_CLOSE_PARAM closeRecord{sizeof closeRecord};
  std::printf("close %d\n", close(&closeRecord));
  FreeLibrary(module);
  return 0;
}
