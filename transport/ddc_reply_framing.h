#pragma once

#include <cstdint>
#include <functional>

#include "transport/transfer_chunking.h"

namespace vexa {

// Why the first two bytes of a DDC/CI reply made DdcAuxRead refuse it. (A length byte cannot
// announce more than the largest reply, so "too long" never arises.)
enum class DdcFramingFault {
  // The length byte is below 0x7E: the reply would end before its own length byte.
  kTooShort,
  // The address byte is not the address that was read.
  kWrongAddress,
};

struct DdcFramingRejection {
  DdcFramingFault fault = DdcFramingFault::kTooShort;
  // Total reply length the length byte announced: length byte − 125.
  int32_t totalLength = 0;
  // The reply's first (address) byte.
  uint8_t addressByte = 0;
};

// The vendor side of one DdcAuxRead, supplied by the backend. Every read returns 0, or any
// other value once the backend has recorded the vendor's error; the framing then returns
// gfx_status::kVendorCallFailed.
struct DdcReplySource {
  // Bytes per continuation read: kAuxChunkSize, or kMaxDdcReplySize where the vendor call
  // carries a whole reply.
  int32_t chunkSize = kAuxChunkSize;
  // Optional: runs once the arguments passed their check, before any vendor read (the
  // backend's per-transaction reset of its error record).
  std::function<void()> beginTransaction;
  // Required: reads the address and length bytes into out[0..1], keeping the I2C transaction
  // open where the vendor interface allows it.
  std::function<int32_t(uint8_t ddcAddr, uint8_t* out)> readLengthBytes;
  // Required: reads the next `count` reply bytes into out; the chunk with endsTransaction set
  // closes the I2C transaction.
  std::function<int32_t(uint8_t ddcAddr, uint8_t* out, int32_t count, bool endsTransaction)>
      readRest;
  // Optional: runs once the length bytes passed the framing, before the rest is read (a
  // backend's pacing wait that a refused reply does not cost).
  std::function<void()> onAccepted;
  // Optional: told why a reply was refused, for a backend that records a text then.
  std::function<void(const DdcFramingRejection& rejection)> onRejected;
};

// DdcAuxRead's framing, shared by every backend: reads one DDC/CI reply (address byte, length
// byte 0x80 + payload length, payload, checksum) from ddcAddr. On success buffer (which holds
// kMaxDdcReplySize bytes) receives the whole reply, checksum unverified, and *length its
// length; 2 when the length byte announces no more than the two bytes already read.
// Returns 0; 3 for a null buffer or length (nothing else happens); 6 when a vendor read
// failed; 7 when the framing refused the reply. On failure buffer and *length are untouched.
int32_t ReadFramedDdcReply(uint8_t ddcAddr, uint8_t* buffer, int32_t* length,
                           const DdcReplySource& source);

}  // namespace vexa
