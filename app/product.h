#pragma once

#include <string>

namespace vexa {

// What the front ends call themselves, and the log file they share.
inline constexpr const char* kProductName = "Korvane Travik Tool";
inline constexpr const char* kProductVersion = "5.1";
inline constexpr const char* kLogFileName = "VexaISP.log";

// "Korvane Travik Tool v5.1": the window caption and the first line of the log file.
inline std::string ProductCaption() {
  return std::string(kProductName) + " v" + kProductVersion;
}

}  // namespace vexa
