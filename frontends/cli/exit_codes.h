#pragma once

namespace vexa::cli {

inline constexpr int kExitSuccess = 0;
// The ISP run, a version query or an inspected file failed.
inline constexpr int kExitFailed = 1;
// Usage, configuration or board-file error.
inline constexpr int kExitUsage = 2;
// No adapter or no chip found.
inline constexpr int kExitNoDevice = 3;

}  // namespace vexa::cli
