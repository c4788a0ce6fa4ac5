#include "transport/backends/intel/aux_request_sender.h"

#include <vector>

#include "transport/backends/intel/cui_names.h"

namespace vexa {

namespace {

// The error word the driver finds before its call; a driver that fails without touching it
// reports this.
constexpr uint32_t kErrorWordPreset = 2;

// A call succeeded only when the driver both returned a success HRESULT and cleared the error
// word. A failed HRESULT with a cleared error word is still a failure: it is reported by the
// HRESULT, so that nothing the driver refused passes for done.
int32_t CallResult(int32_t hresult, uint32_t errorWord) {
  if (errorWord != 0) return static_cast<int32_t>(errorWord);
  return hresult < 0 ? hresult : 0;
}

int32_t CallDriver(CuiDriver& driver, const RequestRecordFormat& format, AuxRequest& request) {
  std::vector<uint8_t> record = EncodeRequestRecord(request);
  uint32_t errorWord = kErrorWordPreset;
  const int32_t hresult = IsWriteCommand(request.command)
                              ? driver.WriteDeviceData(format.guid, record, &errorWord)
                              : driver.ReadDeviceData(format.guid, record, &errorWord);
  const int32_t result = CallResult(hresult, errorWord);
  if (result == 0 && !IsWriteCommand(request.command)) TakeReadData(record, request);
  return result;
}

bool MayRepeat(const DeferRetry& retry, const AuxRequest& request) {
  return !(IsWriteCommand(request.command) && retry.unrepeatedWriteAddress == request.address);
}

}  // namespace

int32_t SendAuxRequest(CuiDriver& driver, Clock& clock, AuxRequest& request) {
  const RequestRecordFormat& format = RecordFormatFor(request.deviceId);
  const DeferRetry& retry = format.deferRetry;
  for (int32_t call = 1;; ++call) {
    const int32_t result = CallDriver(driver, format, request);
    if (result != static_cast<int32_t>(cui_error::kAuxDefer)) return result;
    DelayMicroseconds(clock, retry.waitUs);
    if (!MayRepeat(retry, request) || call == retry.maxCalls) return result;
  }
}

}  // namespace vexa
