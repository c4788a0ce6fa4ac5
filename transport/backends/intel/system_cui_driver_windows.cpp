#include <ole2.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "transport/backends/intel/system_cui_driver.h"
#include "util/windows_text.h"

namespace vexa {

namespace {

constexpr wchar_t kCuiProgId[] = L"Igfxext.CUIExternal";
constexpr IID kCuiInterfaceId = {
    0xF932C038, 0x6484, 0x45CA, {0x8F, 0xA1, 0x7C, 0x8C, 0x27, 0x9F, 0x7A, 0xEE}};

// Positions of the methods used in the interface's method table, IUnknown's three first.
constexpr size_t kEnumDisplaySlot = 12;
constexpr size_t kReadDeviceDataSlot = 43;
constexpr size_t kWriteDeviceDataSlot = 44;

using EnumDisplayMethod = HRESULT(STDMETHODCALLTYPE*)(IUnknown* self, BSTR adapterDeviceName,
                                                      ULONG index, ULONG* displayId,
                                                      ULONG* displayType, ULONG* statusFlags);
using DeviceDataMethod = HRESULT(STDMETHODCALLTYPE*)(IUnknown* self, GUID dataGuid,
                                                     ULONG recordSize, BYTE* record,
                                                     ULONG* errorWord);

static_assert(sizeof(DISPLAY_DEVICEW) == 840, "the display-device record the system expects");

// Only the methods the tool calls are declared; they are reached by their table position.
template <typename Method>
Method MethodAt(IUnknown* object, size_t slot) {
  void* const* methods = *reinterpret_cast<void* const* const*>(object);
  return reinterpret_cast<Method>(methods[slot]);
}

// A fixed-size field of a system record, up to its terminating zero.
template <size_t N>
std::string Utf8FromField(const wchar_t (&field)[N]) {
  return Utf8FromWide(std::wstring_view(field, std::find(field, field + N, L'\0') - field));
}

// The driver's COM object, created per thread by Open. Open and Close pair the thread's COM
// start and end even when the object cannot be created, and a repeated Open releases the
// object it replaces. The object lives in the apartment of the thread that opened it.
class WindowsCuiDriver final : public CuiDriver {
 public:
  bool Open() override {
    Close();
    openingThread_ = GetCurrentThreadId();
    // A thread already in another COM apartment may still create the object, but its COM use
    // is not ours to end.
    comStarted_ = SUCCEEDED(CoInitialize(nullptr));
    CLSID classId{};
    void* object = nullptr;
    if (SUCCEEDED(CLSIDFromProgID(kCuiProgId, &classId)) &&
        SUCCEEDED(CoCreateInstance(classId, nullptr, CLSCTX_SERVER, kCuiInterfaceId, &object)) &&
        object != nullptr) {
      object_ = static_cast<IUnknown*>(object);
      return true;
    }
    Close();
    return false;
  }

  void Close() override {
    // Detection opens the driver on the UI thread and leaves it open; the worker thread then
    // reopens it. Releasing the UI thread's object, or ending COM on a thread that never
    // started it, is not allowed from the worker, so another thread only drops the pointer.
    const bool onOpeningThread = GetCurrentThreadId() == openingThread_;
    if (object_ != nullptr && onOpeningThread) object_->Release();
    object_ = nullptr;
    if (comStarted_ && onOpeningThread) CoUninitialize();
    comStarted_ = false;
  }

  std::optional<DisplayAdapter> EnumAdapter(uint32_t index) override {
    DISPLAY_DEVICEW device{};
    device.cb = sizeof(device);
    if (!EnumDisplayDevicesW(nullptr, index, &device, 0)) return std::nullopt;
    return DisplayAdapter{Utf8FromField(device.DeviceName), Utf8FromField(device.DeviceString)};
  }

  std::optional<DriverDisplay> EnumDisplay(const std::string& adapterDeviceName,
                                           uint32_t index) override {
    if (object_ == nullptr) return std::nullopt;
    const std::wstring name = WideFromUtf8(adapterDeviceName);
    const BSTR adapter = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
    if (adapter == nullptr) return std::nullopt;
    ULONG id = 0;
    ULONG type = 0;
    ULONG flags = 0;
    const HRESULT result = MethodAt<EnumDisplayMethod>(object_, kEnumDisplaySlot)(
        object_, adapter, index, &id, &type, &flags);
    SysFreeString(adapter);
    if (result != S_OK) return std::nullopt;
    return DriverDisplay{id, type, flags};
  }

  int32_t ReadDeviceData(const CuiGuid& guid, std::span<uint8_t> record,
                         uint32_t* errorWord) override {
    return CallDeviceData(kReadDeviceDataSlot, guid, record, errorWord);
  }

  int32_t WriteDeviceData(const CuiGuid& guid, std::span<uint8_t> record,
                          uint32_t* errorWord) override {
    return CallDeviceData(kWriteDeviceDataSlot, guid, record, errorWord);
  }

 private:
  int32_t CallDeviceData(size_t slot, const CuiGuid& guid, std::span<uint8_t> record,
                         uint32_t* errorWord) {
    if (object_ == nullptr) return E_POINTER;
    GUID dataGuid{guid.data1, guid.data2, guid.data3, {}};
    std::copy(guid.data4.begin(), guid.data4.end(), dataGuid.Data4);
    ULONG word = *errorWord;
    const HRESULT result = MethodAt<DeviceDataMethod>(object_, slot)(
        object_, dataGuid, static_cast<ULONG>(record.size()), record.data(), &word);
    *errorWord = word;
    return static_cast<int32_t>(result);
  }

  IUnknown* object_ = nullptr;
  bool comStarted_ = false;
  // The thread whose apartment holds object_ and whose COM use comStarted_ records.
  DWORD openingThread_ = 0;
};

}  // namespace

std::unique_ptr<CuiDriver> MakeSystemCuiDriver() {
  return std::make_unique<WindowsCuiDriver>();
}

}  // namespace vexa
