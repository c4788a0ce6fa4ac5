#include "app/adapter_display.h"

#include "util/text_format.h"

namespace vexa {

namespace {

std::string VendorWord(AdapterType type) {
  switch (type) {
    case AdapterType::kNvidia:
      return "NVidia";
    case AdapterType::kAmd:
      return "AMD";
    case AdapterType::kIntel:
      return "Intel";
    case AdapterType::kLinux:
      return "Linux DRM";
    case AdapterType::kAuto:
      break;
  }
  return {};
}

std::string AdapterText(AdapterType type, GfxLib* detected, uint32_t id) {
  const std::string idText = DisplayIdText(id);
  if (detected == nullptr) return VendorWord(type) + ": " + idText;
  const std::string vendor = detected->GetVendorName();
  if (vendor == "Intel" && id == 0) return vendor;
  const std::string portType = detected->GetPortType();
  const std::string portStatus = detected->GetPortStatus();
  if (!portType.empty()) return vendor + ": " + idText + " [" + portType + "] " + portStatus;
  return vendor + ": " + idText + " " + portStatus;
}

}  // namespace

std::string DisplayIdText(uint32_t id) {
  if (id < 0x100) return StrPrintf("0x%02X", id);
  if (id < 0x10000) return StrPrintf("0x%04X", id);
  return StrPrintf("0x%08X", id);
}

AdapterDisplay DescribeAdapter(const AdapterDetector& detector, AdapterType type, int32_t result,
                               GfxLib* detected, uint32_t id) {
  AdapterDisplay display;
  if (detector.IsAutomatic() && result != detect_result::kConnected) {
    display.adapterText = "No available graphics port!";
    display.statusText = "Not connected!";
    return display;
  }
  display.adapterText = AdapterText(type, detected, id);
  switch (result) {
    case detect_result::kConnected:
      display.statusText = "Connected";
      display.adapterRed = false;
      display.statusRed = false;
      display.ready = true;
      break;
    case detect_result::kPortNotFound:
      display.statusText = "Port not found";
      display.adapterRed = false;
      break;
    case detect_result::kInitFailed:
      display.statusText = "Init failed";
      break;
    default:
      display.statusText = "Failed";
      display.adapterText = "N/A";
      break;
  }
  return display;
}

}  // namespace vexa
