#pragma once
#include <cstdint>

#include "platform/amd_adl.h"
#include "platform/modules.h"

// ADL_INF: the AMD Display Library bound by the names of its functions. It
// selects the adapter and display whose connector matches the link, and
// carries the two calls that reach the panel: native AUX access (DPCD) and
// DDC block access (I2C messages, built by the control object).
namespace dpaux {

struct ADL_INF {
  platform::Module library = 0;
  std::int32_t adapterCount = 0;
  std::int32_t adapter = 0;  // the selection
  std::int32_t display = 0;
  std::int32_t connector = 0;
  // The entry points that are called; the other required names are only
  // looked up.
  platform::adl::MainControlCreate mainControlCreate = nullptr;
  platform::adl::MainControlDestroy mainControlDestroy = nullptr;
  platform::adl::NumberOfAdaptersGet numberOfAdaptersGet = nullptr;
  platform::adl::AdapterInfoGet adapterInfoGet = nullptr;
  platform::adl::DisplayInfoGet displayInfoGet = nullptr;
  platform::adl::AdapterActiveGet adapterActiveGet = nullptr;
  platform::adl::NativeAuxChannelAccess nativeAuxChannelAccess = nullptr;
  platform::adl::DdcBlockAccessGet ddcBlockAccessGet = nullptr;
  bool connectedDisplaysGet = false;  // the one optional name

  ADL_INF() = default;
  ADL_INF(const ADL_INF&) = delete;
  ADL_INF& operator=(const ADL_INF&) = delete;

  bool Bound() const { return library != 0; }
  // 0 bound (also when already bound); 2 no library file loads; 3 a
  // required name is missing; 4 the library would not start.
  std::uint32_t Bind();
  void Unbind();
  // Selects the last active adapter's first connected display on this
  // connector (15 DisplayPort or 16 eDP); otherwise the selection stays.
  void SelectDisplay(std::int32_t connectorCode);
  // One DPCD transfer of 1 to 16 bytes: 0, or 1 on any failure.
  std::uint32_t Native(std::uint32_t address, const std::uint8_t* source, std::uint8_t* target,
                       std::uint32_t length);
  // One DDC message on the selected display: 0, or the library's failure
  // in a non-zero byte. `*receiveLength` is what the library says it got.
  std::uint32_t DdcBlockAccess(std::int32_t option, std::int32_t sendLength, std::uint8_t* send,
                               std::int32_t* receiveLength, std::uint8_t* receive);

 private:
  void Clear();
  void ScanAdapters(const std::uint8_t* records, std::int32_t count, std::int32_t connectorCode);
};

extern ADL_INF adlInf;

// The allocation callback handed to the library, and its counterpart for
// what the library hands back. A block knows its own size, so a list is
// never read beyond what was allocated for it.
void* PLATFORM_STDCALL AdlAllocate(std::int32_t size);
void AdlFree(void* block);
std::uint32_t AdlAllocatedBytes(const void* block);

// The AMD connector code of a display link type; 0 for none.
std::int32_t AmdConnectorCode(std::int32_t displayType);

}  // namespace dpaux
