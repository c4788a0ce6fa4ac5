#pragma once

#include <cstdint>

namespace vexa::isp_status {

// Results of the engine's protocol operations (0 = success). The numbers are fixed: the
// first-error record, the user interface and the transport compare them.
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kEraseTimeout = 1;
inline constexpr int32_t kNoTransport = 2;
inline constexpr int32_t kInvalidParameter = 3;
inline constexpr int32_t kDriverCallFailed = 6;
inline constexpr int32_t kUnexpectedReply = 7;
inline constexpr int32_t kChecksumError = 8;
inline constexpr int32_t kNoAck = 11;
inline constexpr int32_t kDefer = 12;

}  // namespace vexa::isp_status
