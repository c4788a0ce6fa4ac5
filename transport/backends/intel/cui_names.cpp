#include "transport/backends/intel/cui_names.h"

#include "util/text_format.h"

namespace vexa {

std::string CuiErrorName(int32_t code) {
  const auto word = static_cast<uint16_t>(code);
  switch (word) {
    case 0:
      return {};
    case 1:
      return "registration error";
    case 2:
      return "invalid event handle";
    case 3:
      return "invalid event mask";
    case 4:
      return "corrupt buffer";
    case cui_error::kUnsupportedGuid:
      return "unsupported GUID";
    case 6:
      return "get configuration error";
    case 7:
      return "deregistration error";
    case 8:
      return "invalid monitor ID";
    case 9:
      return "invliad config flag";
    case 10:
      return "set configration error";
    case 37:
      return "I_CUI_Failure";
    case 54:
      return "invalid operation type";
    case 67:
      return "invalid AUX device";
    case 68:
      return "invalid AUX address";
    case 69:
      return "invalid AUX data size";
    case cui_error::kAuxDefer:
      return "AUX defer";
    case 71:
      return "AUX timeout";
    case 72:
      return "AUX incomplete write";
    case 80:
      return "unsupported version";
  }
  return StrPrintf("Err code: 0x%04X", word);
}

std::string DisplayTypeName(uint32_t type) {
  switch (type) {
    case 0:
      return "NULL";
    case 1:
      return "CRT";
    case 2:
      return "Local FP";
    case display_type::kExternalFlatPanel:
      return "External FP";
    case 4:
      return "TV";
    case display_type::kHdmi:
      return "HDMI";
    case display_type::kDisplayPort:
      return "DP";
  }
  return "Unknown";
}

}  // namespace vexa
