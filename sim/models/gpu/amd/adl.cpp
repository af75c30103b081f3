#include "sim/models/gpu/amd/adl.h"

#include <algorithm>
#include <cstring>

namespace sim::amd {
namespace {

namespace api = platform::adl;

void PutWord(std::uint8_t* record, int offset, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) record[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::int32_t Word(const std::uint8_t* record, int offset) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | record[offset + i];
  return static_cast<std::int32_t>(value);
}

const Adapter* FindAdapter(const Adl& adl, std::int32_t index) {
  for (const Adapter& adapter : adl.adapters) {
    if (adapter.index == index) return &adapter;
  }
  return nullptr;
}

// Only the panel's display has a bus behind it.
bool ReachesPanel(const Adl& adl, std::int32_t adapter, std::int32_t display) {
  const Adapter* found = FindAdapter(adl, adapter);
  if (found == nullptr) return false;
  for (const Display& candidate : found->displays) {
    if (candidate.index == display) return candidate.panel;
  }
  return false;
}

const CallFault* FaultFor(const std::vector<CallFault>& faults, std::uint64_t call) {
  for (const CallFault& fault : faults) {
    if (call >= fault.at && (fault.times == 0 || call - fault.at < fault.times)) return &fault;
  }
  return nullptr;
}

// The I2C side of one DDC message: its AUX transactions in order.
class Message {
 public:
  Message(panel::Panel& panel, BusClock& clock, CallAnswer& answer, std::uint8_t address7)
      : panel_(panel), clock_(clock), answer_(answer), address_(address7) {}

  // Writes the bytes, keeping the transaction open after the last one when `mot`.
  bool Write(const std::uint8_t* bytes, std::int32_t count, bool mot) {
    std::int32_t done = 0;
    do {
      const std::int32_t piece = std::min<std::int32_t>(count - done, panel::kAuxMaxData);
      panel::AuxRequest request;
      request.command = done + piece < count || mot ? panel::kI2cWrite | panel::kI2cMot
                                                    : panel::kI2cWrite;
      request.address = address_;
      request.length = static_cast<unsigned>(piece);
      if (piece > 0) std::memcpy(request.data, bytes + done, static_cast<std::size_t>(piece));
      if (!Carry(request)) return false;
      done += piece;
    } while (done < count);
    return true;
  }

  // Reads `count` bytes into `target`; `*received` counts what arrived.
  bool Read(std::uint8_t* target, std::int32_t count, std::int32_t* received) {
    std::int32_t done = 0;
    do {
      const std::int32_t piece = std::min<std::int32_t>(count - done, panel::kAuxMaxData);
      panel::AuxRequest request;
      request.command = done + piece < count ? panel::kI2cRead | panel::kI2cMot : panel::kI2cRead;
      request.address = address_;
      request.length = static_cast<unsigned>(piece);
      if (!Carry(request)) return false;
      const panel::AuxAnswer& got = answer_.bus.back().answer;
      const auto arrived = static_cast<std::int32_t>(std::min<unsigned>(got.count, piece));
      if (arrived > 0) std::memcpy(target + done, got.data, static_cast<std::size_t>(arrived));
      done += arrived;
      *received = done;
      if (arrived < piece) return false;
    } while (done < count);
    return true;
  }

  // After a failure the library ends an I2C transaction it left open.
  void EndIfOpen() {
    if (!open_) return;
    panel::AuxRequest stop;
    stop.command = panel::kI2cWrite;
    stop.address = address_;
    Carry(stop);
  }

 private:
  bool Carry(const panel::AuxRequest& request) {
    const panel::AuxAnswer got = panel::Transact(panel_, request, clock_.now);
    clock_.now += clock_.transactionMicroseconds;
    answer_.bus.push_back(BusExchange{request, got});
    const bool acked = got.reply == panel::AuxReply::Ack;
    open_ = panel::HasMot(request.command) || (open_ && !acked);
    return acked;
  }

  panel::Panel& panel_;
  BusClock& clock_;
  CallAnswer& answer_;
  std::uint8_t address_;
  bool open_ = false;
};

}  // namespace

bool Exports(const Adl& adl, const std::string& name) {
  return std::find(adl.missingFunctions.begin(), adl.missingFunctions.end(), name) ==
         adl.missingFunctions.end();
}

std::int32_t MainControlCreate(Adl& adl) {
  if (adl.createResult == api::kOk) adl.created = true;
  return adl.createResult;
}

std::int32_t MainControlDestroy(Adl& adl) {
  adl.created = false;
  return api::kOk;
}

std::int32_t NumberOfAdapters(const Adl& adl) {
  return adl.adapterCount ? *adl.adapterCount : static_cast<std::int32_t>(adl.adapters.size());
}

std::int32_t AdapterInfo(const Adl& adl, std::uint8_t* records, std::int32_t bytes) {
  const auto needed = static_cast<std::int64_t>(adl.adapters.size()) * api::kAdapterInfoSize;
  if (adl.adapterInfoFails || records == nullptr || bytes < needed) return api::kError;
  for (std::size_t i = 0; i < adl.adapters.size(); ++i) {
    std::uint8_t* record = records + i * api::kAdapterInfoSize;
    PutWord(record, 0, api::kAdapterInfoSize);
    PutWord(record, api::kAdapterIndexAt, adl.adapters[i].index);
  }
  return api::kOk;
}

ActiveAnswer AdapterActive(const Adl& adl, std::int32_t adapter) {
  const Adapter* found = FindAdapter(adl, adapter);
  if (found == nullptr) return ActiveAnswer{};
  return ActiveAnswer{api::kOk, found->active ? 1 : 0};
}

DisplayListAnswer DisplayList(const Adl& adl, std::int32_t adapter) {
  DisplayListAnswer answer;
  const Adapter* found = FindAdapter(adl, adapter);
  if (found == nullptr || found->displayListFails) return answer;
  answer.result = api::kOk;
  answer.count = found->displayCount ? *found->displayCount
                                     : static_cast<std::int32_t>(found->displays.size());
  answer.records.assign(found->displays.size() * api::kDisplayInfoSize, 0);
  for (std::size_t i = 0; i < found->displays.size(); ++i) {
    const Display& display = found->displays[i];
    std::uint8_t* record = answer.records.data() + i * api::kDisplayInfoSize;
    PutWord(record, api::kDisplayIndexAt, display.index);
    PutWord(record, api::kDisplayAdapterAt, display.adapterIndex);
    PutWord(record, api::kDisplayConnectorAt, display.connector);
    PutWord(record, api::kDisplayFlagsAt, static_cast<std::int32_t>(display.flags));
  }
  return answer;
}

CallAnswer NativeAux(Adl& adl, panel::Panel& panel, BusClock& clock, std::int32_t adapter,
                     std::int32_t display, std::uint8_t* record) {
  CallAnswer answer;
  answer.result = api::kError;
  if (record == nullptr) return answer;
  const CallFault* fault = FaultFor(adl.nativeFaults, ++adl.nativeCalls);
  const std::int32_t count = Word(record, api::kNativeCountAt);
  if (fault != nullptr && fault->result) {
    answer.result = *fault->result;
  } else if (ReachesPanel(adl, adapter, display) &&
             Word(record, api::kNativeSizeAt) == api::kNativeRecordSize && count >= 1 &&
             count <= api::kNativeMaxData) {
    panel::AuxRequest request;
    const bool write = Word(record, api::kNativeWriteAt) != 0;
    request.command = write ? panel::kNativeWrite : panel::kNativeRead;
    request.address = static_cast<std::uint32_t>(Word(record, api::kNativeAddressAt));
    request.length = static_cast<unsigned>(count);
    if (write) std::memcpy(request.data, record + api::kNativeDataAt, request.length);
    const panel::AuxAnswer got = panel::Transact(panel, request, clock.now);
    clock.now += clock.transactionMicroseconds;
    answer.bus.push_back(BusExchange{request, got});
    if (got.reply == panel::AuxReply::Ack) {
      answer.result = api::kOk;
      if (!write) {
        std::memcpy(record + api::kNativeDataAt, got.data, got.count);
        PutWord(record, api::kNativeCountAt, static_cast<std::int32_t>(got.count));
      }
    }
  }
  if (fault != nullptr && fault->count) PutWord(record, api::kNativeCountAt, *fault->count);
  return answer;
}

CallAnswer DdcBlockAccess(Adl& adl, panel::Panel& panel, BusClock& clock, std::int32_t adapter,
                          std::int32_t display, std::int32_t option, const std::uint8_t* send,
                          std::int32_t sendLength, std::int32_t* receiveLength,
                          std::uint8_t* receive) {
  CallAnswer answer;
  answer.result = api::kError;
  const CallFault* fault = FaultFor(adl.ddcFaults, ++adl.ddcCalls);
  const std::int32_t asked = receiveLength != nullptr ? *receiveLength : 0;
  std::int32_t received = 0;
  const bool readAddress = send != nullptr && sendLength >= 1 && (send[0] & 1) != 0;
  // Well-formed messages only: a write, a read address alone, or a write then a read.
  const bool plainWrite = option == api::kDdcPlain && !readAddress && asked == 0;
  const bool plainRead = option == api::kDdcPlain && readAddress && sendLength == 1;
  const bool combined = option == api::kDdcCombined && !readAddress && asked > 0;
  const bool formed = send != nullptr && sendLength >= 1 && asked >= 0 &&
                      (asked == 0 || receive != nullptr) && (plainWrite || plainRead || combined);
  if (fault != nullptr && fault->result) {
    answer.result = *fault->result;
  } else if (formed && ReachesPanel(adl, adapter, display)) {
    Message message(panel, clock, answer, static_cast<std::uint8_t>(send[0] >> 1));
    bool done = false;
    if (plainWrite) {
      done = message.Write(send + 1, sendLength - 1, false);
    } else if (plainRead) {
      done = message.Read(receive, asked, &received);
    } else {
      done = message.Write(send + 1, sendLength - 1, true) &&
             message.Read(receive, asked, &received);
    }
    if (!done) message.EndIfOpen();
    answer.result = done ? api::kOk : api::kError;
  }
  if (receiveLength != nullptr) *receiveLength = fault != nullptr && fault->count ? *fault->count
                                                                                 : received;
  return answer;
}

}  // namespace sim::amd
