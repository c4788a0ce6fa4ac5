#pragma once

#include <cstdint>
#include <string>

namespace vexa {

// Error words of the driver's device-data calls that the backend acts on.
namespace cui_error {
inline constexpr uint32_t kUnsupportedGuid = 5;
inline constexpr uint32_t kAuxDefer = 70;
}  // namespace cui_error

// Display type codes of the driver's display enumeration that carry an AUX channel.
namespace display_type {
inline constexpr uint32_t kExternalFlatPanel = 3;
inline constexpr uint32_t kHdmi = 5;
inline constexpr uint32_t kDisplayPort = 7;
}  // namespace display_type

// The name of an error code in texts and report lines, chosen by its low 16 bits: empty for 0,
// the driver's name for a known error word, else "Err code: 0x%04X".
std::string CuiErrorName(int32_t code);

// The name of a display type code of the driver's display enumeration; "Unknown" for codes
// without one.
std::string DisplayTypeName(uint32_t type);

}  // namespace vexa
