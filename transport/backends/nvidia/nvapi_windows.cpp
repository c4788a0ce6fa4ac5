// The system NVAPI of Windows: the NVIDIA driver's library, loaded at run time. The library
// exports one query function that maps an interface id to the entry point's address; every
// entry point is resolved through it when called.

#include <windows.h>

#include <cstring>
#include <string_view>

#include "transport/backends/nvidia/system_nvapi.h"
#include "util/text_encoding.h"

namespace vexa {

namespace {

// The library of the process's own word size.
#ifdef _WIN64
constexpr const wchar_t* kLibraryName = L"nvapi64.dll";
#else
constexpr const wchar_t* kLibraryName = L"nvapi.dll";
#endif
constexpr const char* kQueryFunctionName = "nvapi_QueryInterface";
// The driver's fixed-size 8-bit strings.
constexpr size_t kShortStringSize = 64;

using QueryInterfaceFunction = void*(__cdecl*)(unsigned int interfaceId);

void* ToPointer(NvGpuHandle handle) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(handle));
}
void* ToPointer(NvDisplayHandle handle) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(handle));
}
void* OrNull(std::span<uint8_t> bytes) {
  return bytes.empty() ? nullptr : bytes.data();
}

class WindowsNvapi final : public Nvapi {
 public:
  int32_t Initialize() override {
    if (queryInterface_ == nullptr && !LoadDriverLibrary()) return nvapi_status::kLibraryNotFound;
    return Call(nvapi_id::kInitialize);
  }

  int32_t EnumPhysicalGpus(std::span<NvGpuHandle, kMaxPhysicalGpus> gpus,
                           uint32_t* count) override {
    void* handles[kMaxPhysicalGpus] = {};
    const int32_t status = Call(nvapi_id::kEnumPhysicalGpus, &handles[0], count);
    if (status != nvapi_status::kOk) return status;
    for (size_t i = 0; i < kMaxPhysicalGpus; ++i) {
      gpus[i] = static_cast<NvGpuHandle>(reinterpret_cast<uintptr_t>(handles[i]));
    }
    return status;
  }

  int32_t GetConnectedDisplayIds(NvGpuHandle gpu, std::span<uint8_t> records, uint32_t* count,
                                 uint32_t flags) override {
    return Call(nvapi_id::kGetConnectedDisplayIds, ToPointer(gpu), OrNull(records), count, flags);
  }

  int32_t GetFullName(NvGpuHandle gpu, std::string* name) override {
    char text[kShortStringSize] = {};
    const int32_t status = Call(nvapi_id::kGetFullName, ToPointer(gpu), &text[0]);
    if (status == nvapi_status::kOk) *name = DecodeAnsi({text, strnlen(text, sizeof(text))});
    return status;
  }

  int32_t GetDriverAndBranchVersion(uint32_t* version) override {
    char branch[kShortStringSize] = {};
    return Call(nvapi_id::kGetDriverAndBranchVersion, version, &branch[0]);
  }

  int32_t GetDisplayHandleFromDisplayId(uint32_t displayId, NvDisplayHandle* display) override {
    void* handle = nullptr;
    const int32_t status = Call(nvapi_id::kGetDisplayHandleFromDisplayId, displayId, &handle);
    if (status == nvapi_status::kOk) {
      *display = static_cast<NvDisplayHandle>(reinterpret_cast<uintptr_t>(handle));
    }
    return status;
  }

  int32_t GetAssociatedDisplayOutputId(NvDisplayHandle display, uint32_t* outputId) override {
    return Call(nvapi_id::kGetAssociatedDisplayOutputId, ToPointer(display), outputId);
  }

  int32_t GetConnectorInfo(NvGpuHandle gpu, uint32_t outputId, std::span<uint8_t> record) override {
    return Call(nvapi_id::kGetConnectorInfo, ToPointer(gpu), outputId, OrNull(record));
  }

  int32_t GetDisplayPortInfo(NvDisplayHandle display, uint32_t outputId,
                             std::span<uint8_t> record) override {
    return Call(nvapi_id::kGetDisplayPortInfo, ToPointer(display), outputId, OrNull(record));
  }

  int32_t QueryDpTopology(uint32_t displayId, std::span<uint8_t> nodes, uint32_t* count) override {
    return Call(nvapi_id::kQueryDpTopology, displayId, OrNull(nodes), count);
  }

  int32_t DisplayPortAux(NvDisplayHandle display, std::span<uint8_t> request) override {
    return Call(nvapi_id::kDisplayPortAux, ToPointer(display), OrNull(request),
                static_cast<uint32_t>(request.size()));
  }

 private:
  // Loads the library once; it stays loaded for the life of the process.
  bool LoadDriverLibrary() {
    // From the system folder only: a library of that name beside the tool or in the current
    // folder must never be loaded in the driver's place.
    HMODULE library = LoadLibraryExW(kLibraryName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library == nullptr) return false;
    // GetProcAddress's generic function type is cast through void(*)() to the real one.
    const auto query = reinterpret_cast<void (*)()>(GetProcAddress(library, kQueryFunctionName));
    if (query == nullptr) {
      FreeLibrary(library);
      return false;
    }
    queryInterface_ = reinterpret_cast<QueryInterfaceFunction>(query);
    return true;
  }

  // Calls the entry point interfaceId with args, typed as they are passed; an entry point the
  // installed driver lacks answers kNoImplementation.
  template <typename... Args>
  int32_t Call(uint32_t interfaceId, Args... args) {
    if (queryInterface_ == nullptr) return nvapi_status::kLibraryNotFound;
    using EntryPoint = int(__cdecl*)(Args...);
    const auto entry = reinterpret_cast<EntryPoint>(queryInterface_(interfaceId));
    if (entry == nullptr) return nvapi_status::kNoImplementation;
    return entry(args...);
  }

  QueryInterfaceFunction queryInterface_ = nullptr;
};

}  // namespace

std::unique_ptr<Nvapi> CreateSystemNvapi() {
  return std::make_unique<WindowsNvapi>();
}

}  // namespace vexa
