#include "transport/backends/intel/system_cui_driver.h"

namespace vexa {

namespace {

// Where the Intel graphics driver cannot exist: the object is never created and there are no
// adapters to enumerate.
class UnavailableCuiDriver final : public CuiDriver {
 public:
  bool Open() override { return false; }
  void Close() override {}
  std::optional<DisplayAdapter> EnumAdapter(uint32_t) override { return std::nullopt; }
  std::optional<DriverDisplay> EnumDisplay(const std::string&, uint32_t) override {
    return std::nullopt;
  }
  int32_t ReadDeviceData(const CuiGuid&, std::span<uint8_t>, uint32_t*) override {
    return kNotImplemented;
  }
  int32_t WriteDeviceData(const CuiGuid&, std::span<uint8_t>, uint32_t*) override {
    return kNotImplemented;
  }

 private:
  // E_NOTIMPL.
  static constexpr int32_t kNotImplemented = static_cast<int32_t>(0x80004001);
};

}  // namespace

std::unique_ptr<CuiDriver> MakeSystemCuiDriver() {
  return std::make_unique<UnavailableCuiDriver>();
}

}  // namespace vexa
