#include "transport/transfer_chunking.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "transport/gfx_lib.h"

namespace vexa {

bool operator==(const TransferChunk& a, const TransferChunk& b) {
  return std::tie(a.offset, a.length, a.isLast) == std::tie(b.offset, b.length, b.isLast);
}

void PrintTo(const TransferChunk& c, std::ostream* out) {
  *out << "{" << c.offset << ", " << c.length << (c.isLast ? ", last}" : "}");
}

namespace {

std::vector<TransferChunk> ChunksOf(int32_t length, int32_t chunkSize) {
  std::vector<TransferChunk> chunks;
  EXPECT_EQ(TransferInChunks(length, chunkSize,
                             [&](const TransferChunk& chunk) {
                               chunks.push_back(chunk);
                               return 0;
                             }),
            gfx_status::kSuccess);
  return chunks;
}

TEST(ChunkingTest, SplitsIntoChunksOfAtMostTheChunkSize) {
  struct Case {
    int32_t length;
    int32_t chunkSize;
    std::vector<TransferChunk> chunks;
  };
  const Case cases[] = {
      {40, kAuxChunkSize, {{0, 16, false}, {16, 16, false}, {32, 8, true}}},
      {32, kAuxChunkSize, {{0, 16, false}, {16, 16, true}}},
      {1, kAuxChunkSize, {{0, 1, true}}},
      {8, kMaxDdcReplySize, {{0, 8, true}}},
      {140, kMaxDdcReplySize, {{0, 131, false}, {131, 9, true}}},
      {0, kAuxChunkSize, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.length << " bytes by " << c.chunkSize);
    EXPECT_EQ(ChunksOf(c.length, c.chunkSize), c.chunks);
  }
}

TEST(ChunkingTest, FirstFailingChunkEndsTheTransferWithItsStatus) {
  std::vector<int32_t> offsets;
  const int32_t status = TransferInChunks(40, kAuxChunkSize, [&](const TransferChunk& chunk) {
    offsets.push_back(chunk.offset);
    return chunk.offset == 16 ? -7 : 0;
  });
  EXPECT_EQ(status, -7);
  EXPECT_EQ(offsets, (std::vector<int32_t>{0, 16}));
}

TEST(ChunkingTest, NonPositiveChunkSizeMovesNothing) {
  int calls = 0;
  EXPECT_EQ(TransferInChunks(8, 0, [&](const TransferChunk&) { return ++calls, 0; }),
            gfx_status::kInvalidArgument);
  EXPECT_EQ(calls, 0);
}

// The backends rely on this check coming first: a refused call must neither reach the vendor
// nor reset the backend's error record.
TEST(BufferTransferTest, BadArgumentsRunNeitherTheHookNorAnyChunk) {
  struct Case {
    bool nullBytes;
    int32_t length;
  };
  const uint8_t byte = 0;
  for (const Case& c : {Case{true, 8}, Case{false, 0}, Case{false, -1}}) {
    SCOPED_TRACE(::testing::Message() << (c.nullBytes ? "null bytes, " : "") << c.length);
    int begins = 0;
    int chunks = 0;
    EXPECT_EQ(TransferBufferInChunks(
                  c.nullBytes ? nullptr : &byte, c.length, kAuxChunkSize, [&] { ++begins; },
                  [&](const TransferChunk&) { return ++chunks, 0; }),
              gfx_status::kInvalidArgument);
    EXPECT_EQ(begins, 0);
    EXPECT_EQ(chunks, 0);
  }
}

TEST(BufferTransferTest, HookRunsOnceBeforeTheFirstChunk) {
  const std::vector<uint8_t> bytes(20);
  std::vector<std::string> events;
  const int32_t status = TransferBufferInChunks(
      bytes.data(), 20, kAuxChunkSize, [&] { events.push_back("begin"); },
      [&](const TransferChunk& chunk) {
        events.push_back("chunk " + std::to_string(chunk.offset));
        return 0;
      });
  EXPECT_EQ(status, gfx_status::kSuccess);
  EXPECT_EQ(events, (std::vector<std::string>{"begin", "chunk 0", "chunk 16"}));

  // Without a hook the chunks alone run, and a failing one still ends the transfer.
  EXPECT_EQ(TransferBufferInChunks(bytes.data(), 20, kAuxChunkSize, {},
                                   [](const TransferChunk&) { return -7; }),
            -7);
}

}  // namespace
}  // namespace vexa
