// Another program that loads tconprobe.exe and calls its exported AUX
// functions, as the Wine tests do: prints "<case> <result>" per call.
//   aux_caller PATH_OF_TCONPROBE              the record checks
//   aux_caller PATH_OF_TCONPROBE GPU DISPLAY  a session on the panel
// The records are filled as other programs fill them, with null data and
// huge lengths too. Windows resolves the imports of an EXE loaded as a
// library; Wine does not, so for a session, whose calls reach COM, the
// vendor libraries and the clock, the caller resolves them itself. The
// record checks need none of that.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// Fills the module's import address table as the Windows loader would.
bool ResolveImports(HMODULE module) {
  auto* const base = reinterpret_cast<std::uint8_t*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.Size == 0) return true;
  for (auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
       import->Name != 0; ++import) {
    const char* libraryName = reinterpret_cast<const char*>(base + import->Name);
    HMODULE library = LoadLibraryA(libraryName);
    if (library == nullptr) {
      std::printf("import %s: not loaded\n", libraryName);
      return false;
    }
    const DWORD lookup = import->OriginalFirstThunk != 0 ? import->OriginalFirstThunk : import->FirstThunk;
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + lookup);
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slot) {
      const char* name =
          IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)
              ? reinterpret_cast<const char*>(static_cast<ULONG_PTR>(IMAGE_ORDINAL(names->u1.Ordinal)))
              : reinterpret_cast<const char*>(
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
      const FARPROC function = GetProcAddress(library, name);
      DWORD protection = 0;
      if (function == nullptr ||
          !VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &protection)) {
        std::printf("import %s: a function is missing\n", libraryName);
        return false;
      }
      slot->u1.Function = reinterpret_cast<ULONG_PTR>(function);
      VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
    }
  }
  return true;
}

void PrintBytes(const std::uint8_t* bytes, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) std::printf(" %02x", bytes[i]);
  std::printf("\n");
}

}  // namespace

// Opens the channel on the GPU and display given, reads the sink's first
// DPCD bytes and the TCON's address register, closes.
int Session(OpenFn open, CloseFn close, NativeFn native, I2cFn i2c, std::int32_t gpu, std::int32_t display) {
  dpaux::KSXAUX_OPEN_PARAM openRecord{sizeof openRecord, gpu, display, 0};
  std::printf("open %d\n", open(&openRecord));
  std::uint8_t dpcd[4] = {};
  dpaux::KSXAUX_NATIVE_PARAM read{sizeof read, display, 0, 0x00000, dpcd, sizeof dpcd, 0, 0};
  std::printf("dpcd-read %d", native(&read));
  PrintBytes(dpcd, sizeof dpcd);
  std::uint8_t tcon[1] = {};
  dpaux::KSXAUX_I2C_PARAM tconRead{sizeof tconRead, display, 1, 0, 0xC2, 0x0201, tcon, 1, 0, 0, 0};
  std::printf("tcon-read %d", i2c(&tconRead));
  PrintBytes(tcon, sizeof tcon);
  dpaux::KSXAUX_CLOSE_PARAM closeRecord{sizeof closeRecord};
  std::printf("close %d\n", close(&closeRecord));
  std::printf("closed-read %d\n", native(&read));
  return 0;
}

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) return 2;
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
  if (argc == 4) {
    if (!ResolveImports(module)) return 1;
    return Session(open, close, native, i2c, std::atoi(argv[2]), std::atoi(argv[3]));
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
