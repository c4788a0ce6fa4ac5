#include <windows.h>

#include <array>
#include <cstdlib>
#include <type_traits>

#include "transport/backends/amd/system_adl_api.h"
#include "util/utf8_path.h"

namespace vexa {

namespace {

// The library's generic failure code, also the answer of an entry point that was not resolved.
constexpr int32_t kAdlFailed = -1;

// The library calls back with the standard calling convention to allocate the arrays it
// returns; the caller releases them with the C heap (AdlHeapFree).
using AllocateCallback = void*(__stdcall*)(int size);

// The entry points, C calling convention.
using MainControlCreateFn = int(__cdecl*)(AllocateCallback allocate, int connectedOnly);
using NumberOfAdaptersGetFn = int(__cdecl*)(int* count);
using AdapterInfoGetFn = int(__cdecl*)(void* info, int infoSize);
using AdapterActiveGetFn = int(__cdecl*)(int adapterIndex, int* active);
using DisplayInfoGetFn = int(__cdecl*)(int adapterIndex, int* count, void** displays,
                                       int forceDetect);
using DdcBlockAccessGetFn = int(__cdecl*)(int adapterIndex, int displayIndex, int option,
                                          int commandIndex, int sendLength, char* send,
                                          int* replyLength, char* reply);
using NativeAuxChannelAccessFn = int(__cdecl*)(int adapterIndex, int displayIndex, void* request);

constexpr size_t kEntryPointCount =
    static_cast<size_t>(AdlEntryPoint::kDisplayDdcBlockAccessGet) + 1;

// The library's int is the seam's int32_t on every Windows target.
static_assert(std::is_same_v<int32_t, int>);

const char* ExportName(AdlEntryPoint entryPoint) {
  switch (entryPoint) {
    case AdlEntryPoint::kMainControlCreate:
      return "ADL_Main_Control_Create";
    case AdlEntryPoint::kMainControlDestroy:
      return "ADL_Main_Control_Destroy";
    case AdlEntryPoint::kAdapterNumberOfAdaptersGet:
      return "ADL_Adapter_NumberOfAdapters_Get";
    case AdlEntryPoint::kAdapterAdapterInfoGet:
      return "ADL_Adapter_AdapterInfo_Get";
    case AdlEntryPoint::kDisplayDisplayInfoGet:
      return "ADL_Display_DisplayInfo_Get";
    case AdlEntryPoint::kAdapterActiveGet:
      return "ADL_Adapter_Active_Get";
    case AdlEntryPoint::kDisplayNativeAuxChannelAccess:
      return "ADL_Display_NativeAUXChannel_Access";
    case AdlEntryPoint::kDisplayDdcBlockAccessGet:
      return "ADL_Display_DDCBlockAccess_Get";
  }
  return "";
}

// Size of the last block the library allocated on this thread: the library reports a count
// beside each block, and only the allocation tells how far the block really reaches.
thread_local size_t lastAllocationSize = 0;

void* __stdcall AllocateFromCHeap(int size) {
  lastAllocationSize = size > 0 ? static_cast<size_t>(size) : 0;
  return size > 0 ? std::malloc(static_cast<size_t>(size)) : nullptr;
}

class WindowsAdlApi final : public AdlApi {
 public:
  bool OpenLibrary(std::string_view fileName) override {
    // From the system folder only: a library of that name beside the tool or in the current
    // folder must never be loaded in the driver's place.
    const HMODULE module =
        LoadLibraryExW(PathFromUtf8(fileName).c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) return false;
    module_ = module;
    entryPoints_.fill(nullptr);
    return true;
  }

  bool ResolveEntryPoint(AdlEntryPoint entryPoint) override {
    if (module_ == nullptr) return false;
    // Through void(*)(), the one function pointer type every other converts from cleanly.
    auto& slot = entryPoints_[static_cast<size_t>(entryPoint)];
    slot = reinterpret_cast<void (*)()>(GetProcAddress(module_, ExportName(entryPoint)));
    return slot != nullptr;
  }

  int32_t MainControlCreate(int32_t connectedAdaptersOnly) override {
    const auto create = Get<MainControlCreateFn>(AdlEntryPoint::kMainControlCreate);
    return create ? create(&AllocateFromCHeap, connectedAdaptersOnly) : kAdlFailed;
  }

  int32_t NumberOfAdaptersGet(int32_t* count) override {
    const auto get = Get<NumberOfAdaptersGetFn>(AdlEntryPoint::kAdapterNumberOfAdaptersGet);
    return get ? get(count) : kAdlFailed;
  }

  int32_t AdapterInfoGet(std::span<uint8_t> info) override {
    const auto get = Get<AdapterInfoGetFn>(AdlEntryPoint::kAdapterAdapterInfoGet);
    return get ? get(info.data(), static_cast<int>(info.size())) : kAdlFailed;
  }

  int32_t AdapterActiveGet(int32_t adapterIndex, int32_t* active) override {
    const auto get = Get<AdapterActiveGetFn>(AdlEntryPoint::kAdapterActiveGet);
    return get ? get(adapterIndex, active) : kAdlFailed;
  }

  int32_t DisplayInfoGet(int32_t adapterIndex, int32_t* count, AdlHeapBlock* displays,
                         int32_t forceDetect) override {
    const auto get = Get<DisplayInfoGetFn>(AdlEntryPoint::kDisplayDisplayInfoGet);
    if (!get) return kAdlFailed;
    void* block = nullptr;
    lastAllocationSize = 0;
    const int result = get(adapterIndex, count, &block, forceDetect);
    // Taken whatever the result, so that nothing the library allocated leaks.
    displays->bytes.reset(static_cast<uint8_t*>(block));
    displays->size = block != nullptr ? lastAllocationSize : 0;
    return result;
  }

  int32_t DdcBlockAccessGet(int32_t adapterIndex, int32_t displayIndex, int32_t option,
                            int32_t commandIndex, std::span<const uint8_t> send,
                            std::span<uint8_t> reply) override {
    const auto access = Get<DdcBlockAccessGetFn>(AdlEntryPoint::kDisplayDdcBlockAccessGet);
    if (!access) return kAdlFailed;
    int replyLength = static_cast<int>(reply.size());
    // The library takes the send buffer as non-const but only reads it.
    char* const sendBytes = reinterpret_cast<char*>(const_cast<uint8_t*>(send.data()));
    char* const replyBytes = reply.empty() ? nullptr : reinterpret_cast<char*>(reply.data());
    return access(adapterIndex, displayIndex, option, commandIndex, static_cast<int>(send.size()),
                  sendBytes, &replyLength, replyBytes);
  }

  int32_t NativeAuxChannelAccess(int32_t adapterIndex, int32_t displayIndex,
                                 std::span<uint8_t> request) override {
    const auto access =
        Get<NativeAuxChannelAccessFn>(AdlEntryPoint::kDisplayNativeAuxChannelAccess);
    return access ? access(adapterIndex, displayIndex, request.data()) : kAdlFailed;
  }

 private:
  template <typename Fn>
  Fn Get(AdlEntryPoint entryPoint) const {
    return reinterpret_cast<Fn>(entryPoints_[static_cast<size_t>(entryPoint)]);
  }

  HMODULE module_ = nullptr;
  std::array<void (*)(), kEntryPointCount> entryPoints_{};
};

}  // namespace

std::unique_ptr<AdlApi> CreateSystemAdlApi() {
  return std::make_unique<WindowsAdlApi>();
}

}  // namespace vexa
