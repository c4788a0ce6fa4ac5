// The system NVAPI of platforms that have no NVIDIA driver library.

#include "transport/backends/nvidia/system_nvapi.h"

namespace vexa {

namespace {

constexpr int32_t kMissing = nvapi_status::kLibraryNotFound;

class UnavailableNvapi final : public Nvapi {
 public:
  int32_t Initialize() override { return kMissing; }
  int32_t EnumPhysicalGpus(std::span<NvGpuHandle, kMaxPhysicalGpus>, uint32_t*) override {
    return kMissing;
  }
  int32_t GetConnectedDisplayIds(NvGpuHandle, std::span<uint8_t>, uint32_t*, uint32_t) override {
    return kMissing;
  }
  int32_t GetFullName(NvGpuHandle, std::string*) override { return kMissing; }
  int32_t GetDriverAndBranchVersion(uint32_t*) override { return kMissing; }
  int32_t GetDisplayHandleFromDisplayId(uint32_t, NvDisplayHandle*) override { return kMissing; }
  int32_t GetAssociatedDisplayOutputId(NvDisplayHandle, uint32_t*) override { return kMissing; }
  int32_t GetConnectorInfo(NvGpuHandle, uint32_t, std::span<uint8_t>) override { return kMissing; }
  int32_t GetDisplayPortInfo(NvDisplayHandle, uint32_t, std::span<uint8_t>) override {
    return kMissing;
  }
  int32_t QueryDpTopology(uint32_t, std::span<uint8_t>, uint32_t*) override { return kMissing; }
  int32_t DisplayPortAux(NvDisplayHandle, std::span<uint8_t>) override { return kMissing; }
};

}  // namespace

std::unique_ptr<Nvapi> CreateSystemNvapi() {
  return std::make_unique<UnavailableNvapi>();
}

}  // namespace vexa
