#include "transport/ddc_reply_framing.h"

#include <algorithm>
#include <array>
#include <optional>

#include "transport/gfx_lib.h"

namespace vexa {

namespace {

// The length byte is 0x80 + payload length; the whole reply adds the address, length and
// checksum bytes: (B1 − 0x80) + 3 = B1 − 125.
constexpr int32_t kLengthByteToTotal = 125;
constexpr int32_t kFramingBytesRead = 2;

static_assert(0xFF - kLengthByteToTotal <= kMaxDdcReplySize,
              "every length byte fits the reply buffer");

std::optional<DdcFramingFault> FindFault(uint8_t ddcAddr, uint8_t addressByte,
                                         int32_t totalLength) {
  if (totalLength <= 0) return DdcFramingFault::kTooShort;
  if (addressByte != ddcAddr) return DdcFramingFault::kWrongAddress;
  return std::nullopt;
}

}  // namespace

int32_t ReadFramedDdcReply(uint8_t ddcAddr, uint8_t* buffer, int32_t* length,
                           const DdcReplySource& source) {
  if (buffer == nullptr || length == nullptr) return gfx_status::kInvalidArgument;
  if (source.beginTransaction) source.beginTransaction();

  std::array<uint8_t, kMaxDdcReplySize> reply{};
  if (source.readLengthBytes(ddcAddr, reply.data()) != 0) return gfx_status::kVendorCallFailed;

  const int32_t totalLength = reply[1] - kLengthByteToTotal;
  if (const auto fault = FindFault(ddcAddr, reply[0], totalLength)) {
    if (source.onRejected) source.onRejected({*fault, totalLength, reply[0]});
    return gfx_status::kReplyRejected;
  }

  if (source.onAccepted) source.onAccepted();
  const int32_t restLength = std::max(totalLength - kFramingBytesRead, 0);
  uint8_t* const rest = reply.data() + kFramingBytesRead;
  const int32_t status =
      TransferInChunks(restLength, source.chunkSize, [&](const TransferChunk& chunk) {
        return source.readRest(ddcAddr, rest + chunk.offset, chunk.length, chunk.isLast);
      });
  if (status != 0) return gfx_status::kVendorCallFailed;

  *length = kFramingBytesRead + restLength;
  std::copy_n(reply.begin(), *length, buffer);
  return gfx_status::kSuccess;
}

}  // namespace vexa
