#pragma once
#include <cstdint>

#include "platform/guid.h"

// The COM runtime, one call per COM function: initialise a thread, find a
// class by its ProgID, create an object, and BSTRs. An object is what the
// platform hands over, an interface pointer whose first word points at its
// method table; its methods are called by their positions in that table.
namespace platform {

using HResult = std::int32_t;
inline bool Failed(HResult result) { return result < 0; }
inline constexpr HResult kSOk = 0;
inline constexpr HResult kSFalse = 1;
inline constexpr HResult kENoInterface = static_cast<HResult>(0x80004002);
inline constexpr HResult kEPointer = static_cast<HResult>(0x80004003);
inline constexpr HResult kEFail = static_cast<HResult>(0x80004005);
inline constexpr HResult kEOutOfMemory = static_cast<HResult>(0x8007000E);
inline constexpr HResult kRegdbEClassNotRegistered = static_cast<HResult>(0x80040154);
inline constexpr HResult kCoENotInitialized = static_cast<HResult>(0x800401F0);
inline constexpr HResult kCoEClassString = static_cast<HResult>(0x800401F3);
inline constexpr HResult kRpcEChangedMode = static_cast<HResult>(0x80010106);
inline constexpr HResult kRpcETooLate = static_cast<HResult>(0x80010119);

// The calling convention of COM methods (and of the vendor libraries'
// functions): __stdcall in 32-bit Windows code, the only one elsewhere.
#if defined(_WIN32) && !defined(_WIN64)
#define PLATFORM_STDCALL __stdcall
#else
#define PLATFORM_STDCALL
#endif

struct ComInterface {
  void* const* methods;
};

// The one place where a method table entry becomes a typed function pointer.
template <typename Method>
Method ComMethod(ComInterface* object, int position) {
  return reinterpret_cast<Method>(object->methods[position]);
}

// Every method table starts with IUnknown's three methods.
inline constexpr Guid kIidUnknown = {0x00000000, 0x0000, 0x0000,
                                     {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr int kQueryInterfaceMethod = 0;
inline constexpr int kAddRefMethod = 1;
inline constexpr int kReleaseMethod = 2;
using ReleaseMethod = std::uint32_t(PLATFORM_STDCALL*)(ComInterface* self);

// IUnknown::Release; a null object is left alone.
inline void Release(ComInterface* object) {
  if (object != nullptr) ComMethod<ReleaseMethod>(object, kReleaseMethod)(object);
}

// Class contexts for CoCreateInstance.
inline constexpr std::uint32_t kClsctxInprocServer = 0x1;
inline constexpr std::uint32_t kClsctxLocalServer = 0x4;
inline constexpr std::uint32_t kClsctxRemoteServer = 0x10;

// CoInitialize(nullptr): the calling thread joins a single-threaded apartment.
HResult CoInitializeApartment();
// CoInitializeEx(nullptr, COINIT_MULTITHREADED).
HResult CoInitializeMultithreaded();
void CoUninitialize();
// CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
// RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr): once per process.
HResult CoInitializeSecurityDefault();

HResult CLSIDFromProgID(const char16_t* progId, Guid* classId);
// CoCreateInstance with no outer object.
HResult CoCreateInstance(const Guid& classId, std::uint32_t context, const Guid& interfaceId,
                         ComInterface** object);

// A BSTR: UTF-16 text with its byte length stored before it. Null when the
// allocation fails.
using Bstr = char16_t*;
Bstr SysAllocString(const char16_t* text);
void SysFreeString(Bstr text);

}  // namespace platform
