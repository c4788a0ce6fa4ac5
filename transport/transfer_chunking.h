#pragma once

#include <cstdint>
#include <functional>

namespace vexa {

// Data bytes one AUX transaction carries at most.
inline constexpr int32_t kAuxChunkSize = 16;

// One piece of a chunked transfer, relative to the start of the transfer.
struct TransferChunk {
  int32_t offset = 0;
  int32_t length = 0;
  // The final chunk: the one that ends an I2C transaction spread over several chunks.
  bool isLast = false;
};

// Moves one chunk; 0 on success, anything else stops the transfer.
using ChunkTransfer = std::function<int32_t(const TransferChunk& chunk)>;

// Splits a transfer of `length` bytes into chunks of min(remaining, chunkSize) bytes, in order,
// and hands each to `transfer`. The first failing chunk ends the transfer with its status; the
// chunks before it stay done. 0 when every chunk succeeded (also when length is 0).
// A non-positive chunkSize moves nothing and gives gfx_status::kInvalidArgument.
int32_t TransferInChunks(int32_t length, int32_t chunkSize, const ChunkTransfer& transfer);

// The body of a backend's DdcAuxWrite, NativeAuxRead and NativeAuxWrite over `bytes` (the data
// to write or the buffer to read into): gfx_status::kInvalidArgument for null bytes or a
// non-positive length, before anything else happens; otherwise beginTransaction when set (the
// backend's per-transaction reset of its error record), then TransferInChunks.
int32_t TransferBufferInChunks(const uint8_t* bytes, int32_t length, int32_t chunkSize,
                               const std::function<void()>& beginTransaction,
                               const ChunkTransfer& transfer);

}  // namespace vexa
