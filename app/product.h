#pragma once

namespace vexa {

// What the front ends call themselves, and the log file they share.
inline constexpr const char* kProductName = "Korvane Travik Tool";
inline constexpr const char* kProductVersion = "5.1";
inline constexpr const char* kLogFileName = "VexaISP.log";

}  // namespace vexa
