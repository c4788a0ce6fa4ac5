// A stand-in for the Intel graphics driver's automation object: an in-process COM server whose
// object reports one attached DisplayPort display on the system's first display adapter, on
// whose AUX channel sits the board of VEXA_STANDIN_BOARD. With VEXA_STANDIN_CUI_LSPCON=1 the
// display is an HDMI output whose own channel reaches nothing, and the board answers behind
// the LS-PCON device instead. The object's methods are reached by their table position, and
// its request records are laid out here from the driver's published layout, independently of
// the backend.

#include <ole2.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "tests/wine/standins/record_fields.h"
#include "tests/wine/standins/standin_board.h"

namespace {

using vexa::sim::AuxReply;
using vexa::standin::GetField;

// The class id the test registers for the driver's ProgID; a stand-in's own choice.
constexpr CLSID kClassId = {
    0x5E1B7D2A, 0x9C43, 0x4F6E, {0x8A, 0x71, 0x3D, 0x0C, 0x52, 0xE9, 0xB6, 0xF4}};
constexpr IID kInterfaceId = {
    0xF932C038, 0x6484, 0x45CA, {0x8F, 0xA1, 0x7C, 0x8C, 0x27, 0x9F, 0x7A, 0xEE}};

constexpr size_t kMethodCount = 45;
constexpr size_t kEnumDisplaySlot = 12;
constexpr size_t kReadDeviceDataSlot = 43;
constexpr size_t kWriteDeviceDataSlot = 44;

constexpr ULONG kDisplayId = 0x1100;
constexpr ULONG kLsPconDeviceId = 0x0C;
constexpr ULONG kDisplayPortType = 7;
constexpr ULONG kHdmiType = 5;
constexpr ULONG kAttached = 0x2;

// Error words of the device-data calls.
constexpr ULONG kDone = 0;
constexpr ULONG kCorruptBuffer = 4;
constexpr ULONG kUnsupportedGuid = 5;
constexpr ULONG kInvalidMonitorId = 8;
constexpr ULONG kCuiFailure = 37;
constexpr ULONG kInvalidOperation = 54;
constexpr ULONG kInvalidAuxDevice = 67;
constexpr ULONG kInvalidAuxAddress = 68;
constexpr ULONG kInvalidAuxDataSize = 69;

enum Command : uint32_t {
  kI2cWriteEnd = 0,
  kI2cReadEnd = 1,
  kI2cWriteMore = 4,
  kI2cReadMore = 5,
  kNativeWrite = 8,
  kNativeRead = 9,
};
constexpr size_t kDataSize = 16;

// Where a request record's fields lie; the device id is at offset 0, every other byte is zero.
struct RecordLayout {
  GUID guid;
  ULONG size;
  size_t command;
  size_t length;
  size_t address;
  size_t data;
};

constexpr GUID kStandardGuid = {
    0xBFB9816C, 0xAEB0, 0x434B, {0x99, 0xF3, 0x0F, 0x94, 0xE6, 0xBE, 0xBF, 0x0D}};
constexpr GUID kLsPconGuid = {
    0xC3E437B6, 0x53F9, 0x42AA, {0xA5, 0x40, 0x87, 0x1F, 0x1E, 0x10, 0x7D, 0xFD}};
// Size, then the offsets of command, length, address and data.
constexpr RecordLayout kStandardLayout{kStandardGuid, 32, 4, 8, 12, 16};
constexpr RecordLayout kLsPconLayout{kLsPconGuid, 160, 16, 20, 24, 28};

bool BehindLsPcon() {
  static const bool behind = [] {
    const char* value = std::getenv("VEXA_STANDIN_CUI_LSPCON");
    return value != nullptr && std::strcmp(value, "1") == 0;
  }();
  return behind;
}

std::atomic<long> liveObjects{0};
vexa::standin::I2cOverAux i2c;

bool IsWrite(uint32_t command) {
  return command == kI2cWriteEnd || command == kI2cWriteMore || command == kNativeWrite;
}

bool IsKnown(uint32_t command) {
  return IsWrite(command) || command == kI2cReadEnd || command == kI2cReadMore ||
         command == kNativeRead;
}

// Only the named fields may hold anything: a field the caller put elsewhere shows up here.
bool OnlyFieldsSet(const RecordLayout& layout, const uint8_t* record, uint32_t length,
                   bool writing) {
  for (size_t at = 4; at < layout.size; ++at) {
    const bool inField = (at >= layout.command && at < layout.command + 4) ||
                         (at >= layout.length && at < layout.length + 4) ||
                         (at >= layout.address && at < layout.address + 4) ||
                         (writing && at >= layout.data && at < layout.data + length);
    if (!inField && record[at] != 0) return false;
  }
  return true;
}

ULONG ErrorWordOf(AuxReply reply) {
  return reply == AuxReply::kAck ? kDone : kCuiFailure;
}

// Carries one request to the board; the error word of its outcome.
ULONG Carry(uint32_t command, uint32_t address, std::span<uint8_t> data) {
  vexa::sim::Board* board = vexa::standin::SharedBoard();
  switch (command) {
    case kNativeWrite:
      return ErrorWordOf(board->DpcdWrite(address, data));
    case kNativeRead:
      return ErrorWordOf(board->DpcdRead(address, data));
    default:
      if (address > 0xFF) return kInvalidAuxAddress;
      return ErrorWordOf(i2c.Transfer(!IsWrite(command),
                                      command == kI2cWriteEnd || command == kI2cReadEnd,
                                      static_cast<uint8_t>(address), data));
  }
}

// The error word of one request record handed to the read or the write method.
ULONG Serve(const GUID& guid, ULONG size, uint8_t* record, bool viaWriteMethod) {
  const bool lsPcon = IsEqualGUID(guid, kLsPconLayout.guid);
  // Without the board behind an LS-PCON device the driver has no LS-PCON support.
  if (!IsEqualGUID(guid, kStandardLayout.guid) && !(lsPcon && BehindLsPcon()))
    return kUnsupportedGuid;
  const RecordLayout& layout = lsPcon ? kLsPconLayout : kStandardLayout;
  if (size != layout.size) return kCorruptBuffer;
  const auto deviceId = GetField<uint32_t>(record);
  const auto command = GetField<uint32_t>(record + layout.command);
  const auto length = GetField<uint32_t>(record + layout.length);
  const auto address = GetField<uint32_t>(record + layout.address);
  if (lsPcon && deviceId != kLsPconDeviceId) return kInvalidAuxDevice;
  if (!lsPcon && deviceId != kDisplayId) return kInvalidMonitorId;
  if (!IsKnown(command) || IsWrite(command) != viaWriteMethod) return kInvalidOperation;
  if (length < 1 || length > kDataSize) return kInvalidAuxDataSize;
  if (!OnlyFieldsSet(layout, record, length, viaWriteMethod)) return kCorruptBuffer;
  // With the board behind the LS-PCON device, the display's own channel reaches nothing.
  if (lsPcon != BehindLsPcon()) return kCuiFailure;
  return Carry(command, address, std::span(record + layout.data, length));
}

// The object: its method table first, as COM lays an interface out.
struct CuiObject {
  const void* const* methods;
  std::atomic<ULONG> references{1};
};

HRESULT STDMETHODCALLTYPE ObjectQueryInterface(CuiObject* self, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, kInterfaceId)) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ++self->references;
  *object = self;
  return S_OK;
}

ULONG STDMETHODCALLTYPE ObjectAddRef(CuiObject* self) {
  return ++self->references;
}

ULONG STDMETHODCALLTYPE ObjectRelease(CuiObject* self) {
  const ULONG left = --self->references;
  if (left == 0) {
    delete self;
    --liveObjects;
  }
  return left;
}

// Displays exist only on the adapter the system lists first, whose name must arrive as a
// proper BSTR (its length prefix is read, not a terminating zero).
HRESULT STDMETHODCALLTYPE EnumDisplay(CuiObject* /*self*/, BSTR adapter, ULONG index,
                                      ULONG* displayId, ULONG* displayType, ULONG* statusFlags) {
  if (adapter == nullptr || displayId == nullptr || displayType == nullptr ||
      statusFlags == nullptr)
    return E_POINTER;
  DISPLAY_DEVICEW first{};
  first.cb = sizeof first;
  if (!EnumDisplayDevicesW(nullptr, 0, &first, 0) || index != 0 ||
      SysStringLen(adapter) != std::wcslen(first.DeviceName) ||
      std::wcscmp(adapter, first.DeviceName) != 0)
    return E_INVALIDARG;
  *displayId = kDisplayId;
  *displayType = BehindLsPcon() ? kHdmiType : kDisplayPortType;
  *statusFlags = kAttached;
  return S_OK;
}

// A driver call that breaks down returns a failure and leaves the error word untouched.
HRESULT DeviceData(GUID guid, ULONG size, BYTE* record, ULONG* errorWord, bool viaWriteMethod) {
  if (record == nullptr || errorWord == nullptr) return E_POINTER;
  if (vexa::standin::TransferFails()) return E_FAIL;
  *errorWord = Serve(guid, size, record, viaWriteMethod);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ReadDeviceData(CuiObject* /*self*/, GUID guid, ULONG size, BYTE* record,
                                         ULONG* errorWord) {
  return DeviceData(guid, size, record, errorWord, false);
}

HRESULT STDMETHODCALLTYPE WriteDeviceData(CuiObject* /*self*/, GUID guid, ULONG size, BYTE* record,
                                          ULONG* errorWord) {
  return DeviceData(guid, size, record, errorWord, true);
}

// The methods the tool never calls. The caller removes the arguments (x64), so one stub
// serves every signature.
HRESULT STDMETHODCALLTYPE NotImplemented() {
  return E_NOTIMPL;
}

const std::array<const void*, kMethodCount>& MethodTable() {
  static const std::array<const void*, kMethodCount> table = [] {
    std::array<const void*, kMethodCount> methods;
    methods.fill(reinterpret_cast<const void*>(&NotImplemented));
    methods[0] = reinterpret_cast<const void*>(&ObjectQueryInterface);
    methods[1] = reinterpret_cast<const void*>(&ObjectAddRef);
    methods[2] = reinterpret_cast<const void*>(&ObjectRelease);
    methods[kEnumDisplaySlot] = reinterpret_cast<const void*>(&EnumDisplay);
    methods[kReadDeviceDataSlot] = reinterpret_cast<const void*>(&ReadDeviceData);
    methods[kWriteDeviceDataSlot] = reinterpret_cast<const void*>(&WriteDeviceData);
    return methods;
  }();
  return table;
}

// The class factory: one static instance, which no reference count ends.
class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    // A driver without its device does not create its object.
    if (vexa::standin::SharedBoard() == nullptr) return E_FAIL;
    auto* created = new CuiObject{MethodTable().data()};
    ++liveObjects;
    const HRESULT result = ObjectQueryInterface(created, iid, object);
    ObjectRelease(created);
    return result;
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    liveObjects += lock ? 1 : -1;
    return S_OK;
  }
};

Factory factory;

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDMETHODCALLTYPE
    DllGetClassObject(REFCLSID classId, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(classId, kClassId)) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(iid, object);
}

extern "C" __declspec(dllexport) HRESULT STDMETHODCALLTYPE DllCanUnloadNow() {
  return liveObjects == 0 ? S_OK : S_FALSE;
}
