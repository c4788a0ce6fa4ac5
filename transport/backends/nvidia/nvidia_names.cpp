#include "transport/backends/nvidia/nvidia_names.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vexa {

namespace {

constexpr std::array<std::pair<uint32_t, std::string_view>, 26> kConnectorNames{{
    {0x00, "VGA"},
    {0x10, "TV_Composite"},
    {0x11, "TV_S-Video"},
    {0x13, "TV_Component"},
    {0x14, "TV_SCART"},
    {0x16, "TV_SCART EIAJ4120"},
    {0x17, "TV_HDTV EIAJ4120"},
    {0x18, "PC_HDTV"},
    {0x1A, "PC_Composite"},
    {0x20, "DVI-I_S-Video"},
    {0x21, "DVI-I_Composite"},
    {0x30, "DVI-I"},
    {0x31, "DVI-D"},
    {0x32, "ADC"},
    {0x38, "DVI-I_1"},
    {0x39, "DVI-I_2"},
    {0x40, "SPWG"},
    {0x41, "OEM"},
    {0x46, "DP_External"},
    {0x47, "DP_Internal"},
    {0x48, "DP_Mini"},
    {0x61, "HDMI-A"},
    {0x63, "HDMI-C_Mini"},
    {0x64, "LFH_DP-1"},
    {0x65, "LFH_DP-2"},
    {0x70, "Virtual WFD"},
}};

}  // namespace

std::string_view NvConnectorName(uint32_t connectorType) {
  const auto* found = std::find_if(kConnectorNames.begin(), kConnectorNames.end(),
                                   [&](const auto& entry) { return entry.first == connectorType; });
  return found != kConnectorNames.end() ? found->second : "Unknown";
}

std::string_view NodeTypeName(int32_t nodeType) {
  switch (nodeType) {
    case 0:
      return "DP";
    case 1:
      return "HDMI";
    case 2:
      return "DVI";
    case 3:
      return "VGA";
    case -1:
      return "Unknown";
    default:
      return "";
  }
}

}  // namespace vexa
