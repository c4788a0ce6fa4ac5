#include <array>
#include <numeric>
#include <vector>

#include "testing/ddc_frames.h"
#include "testing/scripted_gfx.h"
#include "tests/transport/backends/amd/amd_backend_fixture.h"

namespace vexa::testing {
namespace {

using namespace std::chrono_literals;
using std::chrono::microseconds;

constexpr uint8_t kChipAddr = 0x6E;
// Plain DPCD storage on the simulated chip: what is written reads back.
constexpr uint32_t kScratchDpcd = 0x2000;

std::vector<uint8_t> Counting(size_t length) {
  std::vector<uint8_t> bytes(length);
  std::iota(bytes.begin(), bytes.end(), uint8_t{1});
  return bytes;
}

class AmdTransfer : public AmdBackendTest {
 protected:
  void SetUp() override { OpenWithChipSelected(); }

  // The calls' kinds, addresses and lengths, each on the selected display.
  void ExpectCalls(SimAdlCallKind kind, const std::vector<uint32_t>& addresses,
                   const std::vector<int32_t>& lengths) {
    ASSERT_EQ(adl->calls().size(), addresses.size());
    for (size_t i = 0; i < addresses.size(); ++i) {
      const SimAdlCall& call = adl->calls()[i];
      EXPECT_EQ(call.kind, kind) << "call " << i;
      EXPECT_EQ(call.address, addresses[i]) << "call " << i;
      EXPECT_EQ(call.length, lengths[i]) << "call " << i;
      EXPECT_EQ(call.adapterIndex, kAdapterIndex) << "call " << i;
      EXPECT_EQ(call.displayIndex, kDisplayIndex) << "call " << i;
    }
  }
};

// Writes go out as write requests of up to 16 bytes, each 700 µs after the one before; reads
// as read requests without pacing. What was written reads back through the request records.
TEST_F(AmdTransfer, NativeTransfersGoInRequestsOfSixteenBytes) {
  const std::vector<uint8_t> written = Counting(40);
  ASSERT_EQ(amd->NativeAuxWrite(kScratchDpcd, written.data(), 40), gfx_status::kSuccess);
  ExpectCalls(SimAdlCallKind::kNativeWrite, {0x2000, 0x2010, 0x2020}, {16, 16, 8});
  EXPECT_EQ(CallTimes(), (std::vector<microseconds>{700us, 1400us, 2100us}));
  EXPECT_EQ(adl->calls()[2].bytes, std::vector<uint8_t>(written.begin() + 32, written.end()));

  adl->ClearCalls();
  std::vector<uint8_t> read(40);
  ASSERT_EQ(amd->NativeAuxRead(kScratchDpcd, read.data(), 40), gfx_status::kSuccess);
  ExpectCalls(SimAdlCallKind::kNativeRead, {0x2000, 0x2010, 0x2020}, {16, 16, 8});
  EXPECT_EQ(read, written);
  EXPECT_EQ(Elapsed(), 2100us);
}

// A read takes exactly the bytes it asked for, whatever length the library writes back into
// the request: a longer one must not spill past the caller's buffer, a shorter one must not
// leave part of it unwritten.
TEST_F(AmdTransfer, NativeReadTakesTheRequestedLengthNotTheOneWrittenBack) {
  const std::vector<uint8_t> written = Counting(20);
  ASSERT_EQ(amd->NativeAuxWrite(kScratchDpcd, written.data(), 20), gfx_status::kSuccess);
  for (const int32_t writtenBack : {16, 1}) {
    SCOPED_TRACE(::testing::Message() << "length written back: " << writtenBack);
    adl->WriteBackNativeLength(writtenBack);
    // Room past the 20 bytes asked for (16 + 4), so that a spill shows.
    std::vector<uint8_t> buffer(36, 0xCC);
    ASSERT_EQ(amd->NativeAuxRead(kScratchDpcd, buffer.data(), 20), gfx_status::kSuccess);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 20), written);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin() + 20, buffer.end()),
              std::vector<uint8_t>(16, 0xCC));
  }
}

// What the library says about one request, and what the transfer makes of it.
struct NativeFailureCase {
  const char* name;
  friend void PrintTo(const NativeFailureCase& c, std::ostream* os) { *os << c.name; }
  bool write;
  // The library's answer to the first `count` calls: a failed call, or else a reply status.
  int count;
  int32_t callResult;
  int32_t replyStatus;
  int32_t status;
  size_t calls;
  microseconds elapsed;
  int32_t errorCode;
  const char* errorText;
};

class AmdNativeFailure : public AmdTransfer,
                         public ::testing::WithParamInterface<NativeFailureCase> {};

// A deferred request is asked again 5 ms later, three calls at most; any other answer but an
// acknowledge ends the transfer with 6 and the library's code.
TEST_P(AmdNativeFailure, EndsTheTransferWithTheLibrarysCode) {
  const NativeFailureCase& c = GetParam();
  if (c.callResult != 0) {
    adl->FailNativeCalls(c.count, c.callResult);
  } else {
    adl->AnswerNativeRequests(c.count, c.replyStatus);
  }
  std::array<uint8_t, 4> bytes{1, 2, 3, 4};
  const int32_t status = c.write ? amd->NativeAuxWrite(kScratchDpcd, bytes.data(), 4)
                                 : amd->NativeAuxRead(kScratchDpcd, bytes.data(), 4);
  EXPECT_EQ(status, c.status);
  EXPECT_EQ(adl->calls().size(), c.calls);
  EXPECT_EQ(Elapsed(), c.elapsed);
  EXPECT_EQ(amd->GetErrorCode(), c.errorCode);
  EXPECT_EQ(amd->GetErrorText(), c.errorText);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, AmdNativeFailure,
    ::testing::Values(NativeFailureCase{"DeferredTwiceThenAcknowledged", true, 2, 0, 9, 0, 3,
                                        10700us, 0, ""},
                      NativeFailureCase{"WriteDeferredEveryTime", true, 3, 0, 9, 6, 3, 15700us, 9,
                                        "NativeAuxWrite... failed! (9)"},
                      NativeFailureCase{"ReadDeferredEveryTime", false, 3, 0, 9, 6, 3, 15000us, 9,
                                        "NativeAuxRead... failed! (9)"},
                      NativeFailureCase{"NotAcknowledged", false, 1, 0, 2, 6, 1, 0us, 2,
                                        "NativeAuxRead... failed! (2)"},
                      // A reply status of 0 is no acknowledge either, though it reads as success.
                      NativeFailureCase{"NoReplyStatus", false, 1, 0, 0, 6, 1, 0us,
                                        GfxLibAmd::kOwnErrorCode, "NativeAuxRead... failed! (-2)"},
                      NativeFailureCase{"CallFails", true, 1, -5, 0, 6, 1, 700us, -5,
                                        "NativeAuxWrite... failed! (-5)"}),
    [](const auto& info) { return std::string(info.param.name); });

// A DDC write goes out in block accesses of up to 131 bytes, each a transfer of its own that
// starts with the device's address, 700 µs after the one before.
TEST_F(AmdTransfer, DdcWriteGoesInBlocksOf131Bytes) {
  const std::vector<uint8_t> data = Counting(140);
  ASSERT_EQ(amd->DdcAuxWrite(kChipAddr, data.data(), 140), gfx_status::kSuccess);
  ExpectCalls(SimAdlCallKind::kDdcWrite, {kChipAddr, kChipAddr}, {131, 9});
  EXPECT_EQ(adl->calls()[1].bytes, std::vector<uint8_t>(data.begin() + 131, data.end()));
  EXPECT_EQ(CallTimes(), (std::vector<microseconds>{700us, 1400us}));
}

// A reply is read as its address and length bytes, then the rest in one block 700 µs later,
// both from the read address.
TEST_F(AmdTransfer, DdcReadTakesTheLengthBytesThenTheRest) {
  const auto query = Bytes("51 85 C2 00 00 03 0A 71");
  ASSERT_EQ(amd->DdcAuxWrite(kChipAddr, query.data(), 8), gfx_status::kSuccess);
  adl->ClearCalls();

  std::array<uint8_t, kMaxDdcReplySize> reply{};
  int32_t length = 0;
  ASSERT_EQ(amd->DdcAuxRead(kChipAddr, reply.data(), &length), gfx_status::kSuccess);
  EXPECT_EQ(std::vector<uint8_t>(reply.begin(), reply.begin() + length), AckReply(kChipAddr));
  ExpectCalls(SimAdlCallKind::kDdcRead, {kChipAddr | 1, kChipAddr | 1}, {2, 6});
  EXPECT_EQ(CallTimes(), (std::vector<microseconds>{700us, 1400us}));
}

// DDC accesses that fail, and how the read of the length bytes retries them.
struct DdcFailureCase {
  const char* name;
  friend void PrintTo(const DdcFailureCase& c, std::ostream* os) { *os << c.name; }
  // Accesses served before the failing ones.
  int served;
  int failures;
  int32_t status;
  size_t calls;
  microseconds elapsed;
  const char* errorText;
};

class AmdDdcFailure : public AmdTransfer, public ::testing::WithParamInterface<DdcFailureCase> {};

// The length bytes are read again every 20 ms, 31 calls at most, and a failure is recorded
// with the last call's result; the rest of a reply is not read again.
TEST_P(AmdDdcFailure, RetriesOnlyTheLengthBytes) {
  const DdcFailureCase& c = GetParam();
  adl->LetDdcAccessesThrough(c.served);
  adl->FailDdcAccesses(c.failures - 1, -1);
  adl->FailDdcAccesses(1, -7);
  std::array<uint8_t, kMaxDdcReplySize> reply{};
  int32_t length = 0;
  EXPECT_EQ(amd->DdcAuxRead(kChipAddr, reply.data(), &length), c.status);
  EXPECT_EQ(adl->calls().size(), c.calls);
  EXPECT_EQ(Elapsed(), c.elapsed);
  EXPECT_EQ(amd->GetErrorCode(), c.status == 0 ? 0 : -7);
  EXPECT_EQ(amd->GetErrorText(), c.errorText);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, AmdDdcFailure,
    ::testing::Values(
        // Nothing pending: the chip's null message, once the 31st call gets through.
        DdcFailureCase{"LengthBytesOnTheLastCall", 0, 30, 0, 32, 600700us, ""},
        DdcFailureCase{"LengthBytesNever", 0, 31, 6, 31, 600000us, "DdcAuxRead... failed! (-7)"},
        DdcFailureCase{"Rest", 1, 1, 6, 2, 700us, "DdcAuxRead... failed! (-7)"}),
    [](const auto& info) { return std::string(info.param.name); });

// Transactions do not reset the record: it holds the first failure until it is cleared.
TEST_F(AmdTransfer, RecordKeepsTheFirstFailureUntilCleared) {
  adl->FailNativeCalls(1, -5);
  uint8_t byte = 0;
  EXPECT_EQ(amd->NativeAuxWrite(kScratchDpcd, &byte, 1), gfx_status::kVendorCallFailed);
  adl->FailDdcAccesses(1, -9);
  EXPECT_EQ(amd->DdcAuxWrite(kChipAddr, &byte, 1), gfx_status::kVendorCallFailed);
  EXPECT_EQ(amd->NativeAuxRead(kScratchDpcd, &byte, 1), gfx_status::kSuccess);
  EXPECT_EQ(amd->GetErrorCode(), -5);
  EXPECT_EQ(amd->GetErrorText(), "NativeAuxWrite... failed! (-5)");

  amd->ClearError();
  EXPECT_EQ(amd->GetErrorCode(), 0);
  EXPECT_EQ(amd->GetErrorText(), "");
}

}  // namespace
}  // namespace vexa::testing
