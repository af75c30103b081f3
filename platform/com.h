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

// Class contexts for CoCreateInstance.
inline constexpr std::uint32_t kClsctxInprocServer = 0x1;
inline constexpr std::uint32_t kClsctxLocalServer = 0x4;
inline constexpr std::uint32_t kClsctxRemoteServer = 0x10;

// CoInitialize(nullptr): the calling thread joins a single-threaded apartment.
HResult CoInitializeApartment();
// CoInitializeEx(nullptr, COINIT_MULTITHREADED).
HResult CoInitializeMultithreaded();
void CoUninitialize();

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
