#pragma once

#include <cstdint>
#include <string_view>

namespace vexa {

// Name of a connector type of the driver's connector-information record; "Unknown" for a type
// it does not list.
std::string_view NvConnectorName(uint32_t connectorType);

// Name of an MST topology node type: "DP", "HDMI", "DVI", "VGA", "Unknown" (-1), else empty.
std::string_view NodeTypeName(int32_t nodeType);

}  // namespace vexa
