#include "transport/transfer_chunking.h"

#include <algorithm>

#include "transport/gfx_lib.h"

namespace vexa {

int32_t TransferInChunks(int32_t length, int32_t chunkSize, const ChunkTransfer& transfer) {
  if (chunkSize <= 0) return gfx_status::kInvalidArgument;
  for (int32_t offset = 0; offset < length;) {
    const int32_t chunkLength = std::min(length - offset, chunkSize);
    const bool isLast = offset + chunkLength == length;
    if (const int32_t status = transfer({offset, chunkLength, isLast}); status != 0) return status;
    offset += chunkLength;
  }
  return gfx_status::kSuccess;
}

int32_t TransferBufferInChunks(const uint8_t* bytes, int32_t length, int32_t chunkSize,
                               const std::function<void()>& beginTransaction,
                               const ChunkTransfer& transfer) {
  if (bytes == nullptr || length <= 0) return gfx_status::kInvalidArgument;
  if (beginTransaction) beginTransaction();
  return TransferInChunks(length, chunkSize, transfer);
}

}  // namespace vexa
