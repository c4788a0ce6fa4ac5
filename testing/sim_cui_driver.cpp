#include "testing/sim_cui_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "util/byte_order.h"

namespace vexa::testing {

namespace {

// The driver's own knowledge of the request records, kept apart from the backend's.
constexpr CuiGuid kStandardGuid{
    0xBFB9816C, 0xAEB0, 0x434B, {0x99, 0xF3, 0x0F, 0x94, 0xE6, 0xBE, 0xBF, 0x0D}};
constexpr CuiGuid kLsPconGuid{
    0xC3E437B6, 0x53F9, 0x42AA, {0xA5, 0x40, 0x87, 0x1F, 0x1E, 0x10, 0x7D, 0xFD}};

struct RecordLayout {
  SimRecordKind kind;
  size_t size;
  size_t command;
  size_t length;
  size_t address;
  size_t data;
};
constexpr RecordLayout kStandardLayout{SimRecordKind::kStandard, 32, 4, 8, 12, 16};
constexpr RecordLayout kLsPconLayout{SimRecordKind::kLsPcon, 160, 16, 20, 24, 28};
constexpr size_t kDeviceIdOffset = 0;
constexpr size_t kDataFieldSize = 16;

constexpr uint32_t kI2cWriteEnd = 0;
constexpr uint32_t kI2cReadEnd = 1;
constexpr uint32_t kI2cWriteContinue = 4;
constexpr uint32_t kI2cReadContinue = 5;
constexpr uint32_t kNativeWrite = 8;
constexpr uint32_t kNativeRead = 9;

constexpr uint32_t kLastDpcdAddress = 0xFFFFF;
constexpr uint32_t kLastI2cAddress = 0xFF;
constexpr int32_t kUnexpectedCall = static_cast<int32_t>(0x8000FFFF);

// The LS-PCON record's bytes outside its listed fields are zero.
bool ReservedBytesClear(std::span<const uint8_t> record) {
  const auto isZero = [](uint8_t byte) { return byte == 0; };
  return std::all_of(record.begin() + 4, record.begin() + kLsPconLayout.command, isZero) &&
         std::all_of(record.begin() + kLsPconLayout.data + kDataFieldSize, record.end(), isZero);
}

bool IsLsPconId(uint32_t id) {
  return id >= 0x0C && id <= 0x0F;
}

bool IsWrite(uint32_t command) {
  return command == kI2cWriteEnd || command == kI2cWriteContinue || command == kNativeWrite;
}

bool IsRead(uint32_t command) {
  return command == kI2cReadEnd || command == kI2cReadContinue || command == kNativeRead;
}

bool IsNative(uint32_t command) {
  return command == kNativeWrite || command == kNativeRead;
}

uint32_t ErrorWordOf(sim::AuxReply reply) {
  switch (reply) {
    case sim::AuxReply::kAck:
      return 0;
    case sim::AuxReply::kNack:
      return sim_cui_error::kCuiFailure;
    case sim::AuxReply::kTransportFault:
      return sim_cui_error::kAuxTimeout;
  }
  return sim_cui_error::kCuiFailure;
}

// The layout the GUID and the record's bytes name, or why the driver refuses the record.
const RecordLayout* LayoutOf(const CuiGuid& guid, std::span<const uint8_t> record,
                             bool lsPconSupported, uint32_t& refusal) {
  if (guid == kStandardGuid && record.size() == kStandardLayout.size) return &kStandardLayout;
  if (guid == kLsPconGuid && lsPconSupported) {
    if (record.size() == kLsPconLayout.size && ReservedBytesClear(record)) return &kLsPconLayout;
    refusal = sim_cui_error::kCorruptBuffer;
    return nullptr;
  }
  refusal = guid == kStandardGuid ? sim_cui_error::kCorruptBuffer : sim_cui_error::kUnsupportedGuid;
  return nullptr;
}

}  // namespace

void SimCuiDriver::InjectFault(SimCuiFault fault, int count, int after) {
  plannedAnswers_.insert(plannedAnswers_.end(), static_cast<size_t>(after), std::nullopt);
  plannedAnswers_.insert(plannedAnswers_.end(), static_cast<size_t>(count), fault);
}

bool SimCuiDriver::Open() {
  if (open_) Close();
  open_ = setup_.driverInstalled;
  return open_;
}

void SimCuiDriver::Close() {
  open_ = false;
  ++closeCount_;
}

std::optional<DisplayAdapter> SimCuiDriver::EnumAdapter(uint32_t index) {
  if (index >= setup_.adapters.size()) return std::nullopt;
  const SimAdapter& adapter = setup_.adapters[index];
  return DisplayAdapter{adapter.deviceName, adapter.deviceString};
}

std::optional<DriverDisplay> SimCuiDriver::EnumDisplay(const std::string& adapterDeviceName,
                                                       uint32_t index) {
  if (!open_) {
    ADD_FAILURE() << "display enumeration without the driver object";
    return std::nullopt;
  }
  for (const SimAdapter& adapter : setup_.adapters) {
    if (adapter.deviceName != adapterDeviceName) continue;
    if (index >= adapter.displays.size()) return std::nullopt;
    const SimDisplay& display = adapter.displays[index];
    return DriverDisplay{display.id, display.type, display.statusFlags};
  }
  return std::nullopt;
}

int32_t SimCuiDriver::ReadDeviceData(const CuiGuid& guid, std::span<uint8_t> record,
                                     uint32_t* errorWord) {
  return Serve(guid, record, false, errorWord);
}

int32_t SimCuiDriver::WriteDeviceData(const CuiGuid& guid, std::span<uint8_t> record,
                                      uint32_t* errorWord) {
  return Serve(guid, record, true, errorWord);
}

int32_t SimCuiDriver::Serve(const CuiGuid& guid, std::span<uint8_t> record, bool viaWriteMethod,
                            uint32_t* errorWord) {
  if (!open_) {
    ADD_FAILURE() << "device-data call without the driver object";
    return kUnexpectedCall;
  }
  std::optional<SimCuiFault> fault;
  if (!plannedAnswers_.empty()) {
    fault = plannedAnswers_.front();
    plannedAnswers_.pop_front();
  }

  SimCuiCall call;
  call.viaWriteMethod = viaWriteMethod;
  const RecordLayout* layout = LayoutOf(guid, record, setup_.lsPconSupported, call.errorWord);
  std::span<uint8_t> data;
  if (layout != nullptr) {
    call.kind = layout->kind;
    call.deviceId = LoadLe32(record, kDeviceIdOffset);
    call.command = LoadLe32(record, layout->command);
    call.length = LoadLe32(record, layout->length);
    call.address = LoadLe32(record, layout->address);
    data = record.subspan(layout->data, std::min<size_t>(call.length, kDataFieldSize));
    if (viaWriteMethod) call.data.assign(data.begin(), data.end());
  }

  int32_t hresult = 0;
  if (fault) {
    hresult = fault->hresult;
    call.errorWord = fault->errorWord;
  } else if (layout != nullptr) {
    call.errorWord = Carry(call, data);
    if (call.errorWord == 0 && !viaWriteMethod) call.data.assign(data.begin(), data.end());
  }
  *errorWord = call.errorWord;
  calls_.push_back(std::move(call));
  return hresult;
}

uint32_t SimCuiDriver::Carry(SimCuiCall& call, std::span<uint8_t> data) {
  if (call.kind == SimRecordKind::kLsPcon && !IsLsPconId(call.deviceId)) {
    return sim_cui_error::kInvalidAuxDevice;
  }
  if (call.kind == SimRecordKind::kStandard && !IsKnownDisplay(call.deviceId)) {
    return sim_cui_error::kInvalidMonitorId;
  }
  if (call.viaWriteMethod ? !IsWrite(call.command) : !IsRead(call.command)) {
    return sim_cui_error::kInvalidOperation;
  }
  if (call.length == 0 || call.length > kDataFieldSize) return sim_cui_error::kInvalidAuxDataSize;
  if (call.address > (IsNative(call.command) ? kLastDpcdAddress : kLastI2cAddress)) {
    return sim_cui_error::kInvalidAuxAddress;
  }
  const auto sink = setup_.sinks.find(call.deviceId);
  if (sink == setup_.sinks.end()) return sim_cui_error::kAuxTimeout;
  sim::Board& board = *sink->second;

  if (call.command == kNativeWrite) return ErrorWordOf(board.DpcdWrite(call.address, data));
  if (call.command == kNativeRead) return ErrorWordOf(board.DpcdRead(call.address, data));

  // An I2C request continues the transaction a previous one left open to the same device,
  // address and direction; any other starts a new one.
  const bool read = IsRead(call.command);
  const OpenI2cTransaction transaction{call.deviceId, call.address, read};
  const bool ends = call.command == kI2cWriteEnd || call.command == kI2cReadEnd;
  const sim::I2cPhase phase{openI2c_ != transaction, ends};
  openI2c_ = ends ? std::nullopt : std::optional(transaction);
  const auto i2cAddr = static_cast<uint8_t>(call.address);
  return ErrorWordOf(read ? board.I2cRead(i2cAddr, data, phase)
                          : board.I2cWrite(i2cAddr, data, phase));
}

bool SimCuiDriver::IsKnownDisplay(uint32_t id) const {
  return std::any_of(setup_.adapters.begin(), setup_.adapters.end(), [id](const SimAdapter& a) {
    return std::any_of(a.displays.begin(), a.displays.end(),
                       [id](const SimDisplay& d) { return d.id == id; });
  });
}

}  // namespace vexa::testing
