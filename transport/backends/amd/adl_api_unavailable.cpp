#include "transport/backends/amd/system_adl_api.h"

namespace vexa {

namespace {

// The library's generic failure code.
constexpr int32_t kAdlFailed = -1;

// Systems without the vendor's driver library: nothing loads, so nothing else is reached.
class UnavailableAdlApi final : public AdlApi {
 public:
  bool OpenLibrary(std::string_view) override { return false; }
  bool ResolveEntryPoint(AdlEntryPoint) override { return false; }
  int32_t MainControlCreate(int32_t) override { return kAdlFailed; }
  int32_t NumberOfAdaptersGet(int32_t*) override { return kAdlFailed; }
  int32_t AdapterInfoGet(std::span<uint8_t>) override { return kAdlFailed; }
  int32_t AdapterActiveGet(int32_t, int32_t*) override { return kAdlFailed; }
  int32_t DisplayInfoGet(int32_t, int32_t*, AdlHeapBlock*, int32_t) override { return kAdlFailed; }
  int32_t DdcBlockAccessGet(int32_t, int32_t, int32_t, int32_t, std::span<const uint8_t>,
                            std::span<uint8_t>) override {
    return kAdlFailed;
  }
  int32_t NativeAuxChannelAccess(int32_t, int32_t, std::span<uint8_t>) override {
    return kAdlFailed;
  }
};

}  // namespace

std::unique_ptr<AdlApi> CreateSystemAdlApi() {
  return std::make_unique<UnavailableAdlApi>();
}

}  // namespace vexa
