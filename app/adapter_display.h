#pragma once

#include <cstdint>
#include <string>

#include "transport/adapter_detection.h"

namespace vexa {

// What the adapter line and the connection state word show after a detection.
struct AdapterDisplay {
  std::string adapterText;
  std::string statusText;
  bool adapterRed = true;
  bool statusRed = true;
  // The chip answered: runs and version queries may start.
  bool ready = false;
};

// Port id as the adapter line prints it: 0x%02X, 0x%04X or 0x%08X by size.
std::string DisplayIdText(uint32_t id);

// The display of one detection: result is DetectAdapter's, detected the transport it left
// (null for none), id the port id it reported. The Intel backend on id 0 shows only its name.
AdapterDisplay DescribeAdapter(const AdapterDetector& detector, AdapterType type, int32_t result,
                               GfxLib* detected, uint32_t id);

}  // namespace vexa
