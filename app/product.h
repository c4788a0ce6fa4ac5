#pragma once

#include <string>

namespace vexa {

// What the front ends call themselves, and the log file they share.
inline constexpr const char* kProductName = "Korvane Travik Tool";
// The release (major.minor) the captions and the About box show, and the full version of the
// build that --version prints; both come from the project's version.
inline constexpr const char* kProductVersion = VEXA_RELEASE;
inline constexpr const char* kBuildVersion = VEXA_VERSION;
inline constexpr const char* kLogFileName = "VexaISP.log";

// "Korvane Travik Tool v5.1": the window caption and the first line of the log file.
inline std::string ProductCaption() {
  return std::string(kProductName) + " v" + kProductVersion;
}

}  // namespace vexa
