#include <functional>

#include "testing/ddc_frames.h"
#include "testing/scripted_gfx.h"
#include "tests/transport/backends/nvidia/nvidia_board_test.h"
#include "transport/backends/nvidia/gfx_lib_nvidia.h"

namespace vexa::testing {
namespace {

using namespace std::chrono_literals;
using namespace nvapi_status;

// Operations of the driver's AUX request record.
constexpr uint32_t kNativeWrite = 0;
constexpr uint32_t kNativeRead = 1;
constexpr uint32_t kI2cWriteEnd = 2;
constexpr uint32_t kI2cReadEnd = 3;
constexpr uint32_t kI2cWriteMore = 5;
constexpr uint32_t kI2cReadMore = 6;

constexpr uint32_t kNack = 1;
constexpr uint32_t kDefer = 2;

SimNvAuxAnswer Reply(uint32_t replyStatus) {
  return {.replyStatus = replyStatus, .data = {}};
}
SimNvAuxAnswer Fails(int32_t status) {
  return {.status = status, .data = {}};
}
SimNvAuxAnswer Answers(std::vector<uint8_t> data) {
  return {.data = std::move(data)};
}

std::vector<uint8_t> Sequence(size_t length, uint8_t first) {
  std::vector<uint8_t> bytes;
  bytes.reserve(length);
  for (size_t i = 0; i < length; ++i) bytes.push_back(static_cast<uint8_t>(first + i));
  return bytes;
}

// The transactions of a backend that has selected the board's display; the AUX requests and
// the time are taken from the moment the test starts.
class NvidiaTransfer : public NvidiaBoardTest {
 protected:
  void SetUp() override {
    NvidiaBoardTest::SetUp();
    OpenAndSelectBoardDisplay();
    firstCall_ = nvapi->auxCalls().size();
    start_ = clock.Elapsed();
  }

  std::vector<SimNvAuxCall> Calls() const {
    return {nvapi->auxCalls().begin() + static_cast<ptrdiff_t>(firstCall_),
            nvapi->auxCalls().end()};
  }
  std::vector<uint32_t> Operations() const {
    std::vector<uint32_t> operations;
    for (const SimNvAuxCall& call : Calls()) operations.push_back(call.operation);
    return operations;
  }
  std::vector<uint32_t> Addresses() const {
    std::vector<uint32_t> addresses;
    for (const SimNvAuxCall& call : Calls()) addresses.push_back(call.address);
    return addresses;
  }
  std::vector<size_t> Lengths() const {
    std::vector<size_t> lengths;
    for (const SimNvAuxCall& call : Calls()) lengths.push_back(call.data.size());
    return lengths;
  }
  // When each request was made, in µs since the test started.
  std::vector<int64_t> TimesUs() const {
    std::vector<int64_t> times;
    for (const SimNvAuxCall& call : Calls()) times.push_back((call.at - start_).count());
    return times;
  }
  std::vector<uint8_t> DataOf(size_t call) const { return Calls().at(call).data; }
  std::chrono::microseconds Elapsed() const { return clock.Elapsed() - start_; }

 private:
  size_t firstCall_ = 0;
  std::chrono::microseconds start_{};
};

TEST_F(NvidiaTransfer, NativeReadComesInPacedChunksOfSixteen) {
  std::array<uint8_t, 40> read{};
  EXPECT_EQ(nvidia->NativeAuxRead(0x500, read.data(), 40), gfx_status::kSuccess);

  EXPECT_EQ(Operations(), (std::vector<uint32_t>{kNativeRead, kNativeRead, kNativeRead}));
  EXPECT_EQ(Addresses(), (std::vector<uint32_t>{0x500, 0x510, 0x520}));
  EXPECT_EQ(Lengths(), (std::vector<size_t>{16, 16, 8}));
  EXPECT_EQ(TimesUs(), (std::vector<int64_t>{1000, 2000, 3000}));
  std::array<uint8_t, 40> onBoard{};
  ASSERT_EQ(board->DpcdRead(0x500, onBoard), sim::AuxReply::kAck);
  EXPECT_EQ(read, onBoard);
}

// A read takes the bytes it asked for even when the driver writes back a shorter length: none
// of the caller's buffer is left stale.
TEST_F(NvidiaTransfer, NativeReadTakesTheRequestedLengthNotTheOneWrittenBack) {
  nvapi->WriteBackAuxLength(1);
  nvapi->QueueAuxAnswers({Answers({1, 2, 3, 4})});
  std::array<uint8_t, 4> read{0xCC, 0xCC, 0xCC, 0xCC};
  EXPECT_EQ(nvidia->NativeAuxRead(0x500, read.data(), 4), gfx_status::kSuccess);
  EXPECT_EQ(read, (std::array<uint8_t, 4>{1, 2, 3, 4}));
}

TEST_F(NvidiaTransfer, NativeWriteComesInPacedChunksOfSixteen) {
  const std::vector<uint8_t> bytes = Sequence(20, 0x30);
  EXPECT_EQ(nvidia->NativeAuxWrite(0x1000, bytes.data(), 20), gfx_status::kSuccess);

  EXPECT_EQ(Operations(), (std::vector<uint32_t>{kNativeWrite, kNativeWrite}));
  EXPECT_EQ(Addresses(), (std::vector<uint32_t>{0x1000, 0x1010}));
  EXPECT_EQ(TimesUs(), (std::vector<int64_t>{1000, 2000}));
  EXPECT_EQ(DataOf(0), Sequence(16, 0x30));
  EXPECT_EQ(DataOf(1), Sequence(4, 0x40));
  std::array<uint8_t, 20> onBoard{};
  ASSERT_EQ(board->DpcdRead(0x1000, onBoard), sim::AuxReply::kAck);
  EXPECT_TRUE(std::equal(onBoard.begin(), onBoard.end(), bytes.begin()));
}

// A long DDC write is one I2C transaction: every request but the last keeps it open.
TEST_F(NvidiaTransfer, DdcWriteIsOneI2cTransactionOfPacedChunks) {
  const std::vector<uint8_t> bytes = Sequence(20, 0x51);
  EXPECT_EQ(nvidia->DdcAuxWrite(kDdcAddr, bytes.data(), 20), gfx_status::kSuccess);

  EXPECT_EQ(Operations(), (std::vector<uint32_t>{kI2cWriteMore, kI2cWriteEnd}));
  EXPECT_EQ(Addresses(), (std::vector<uint32_t>{kDdcAddr, kDdcAddr}));
  EXPECT_EQ(TimesUs(), (std::vector<int64_t>{1500, 3000}));
  EXPECT_EQ(DataOf(0), Sequence(16, 0x51));
  EXPECT_EQ(DataOf(1), Sequence(4, 0x61));
}

// The chip's acknowledge of a command, read as the length bytes and then the rest of the reply
// in the same I2C transaction.
TEST_F(NvidiaTransfer, DdcReadTakesTheLengthBytesThenTheRest) {
  const std::vector<uint8_t> query = Bytes("51 85 C2 00 00 03 0A 71");
  ASSERT_EQ(nvidia->DdcAuxWrite(kDdcAddr, query.data(), 8), gfx_status::kSuccess);

  std::array<uint8_t, kMaxDdcReplySize> reply{};
  int32_t length = 0;
  EXPECT_EQ(nvidia->DdcAuxRead(kDdcAddr, reply.data(), &length), gfx_status::kSuccess);
  EXPECT_EQ(std::vector<uint8_t>(reply.begin(), reply.begin() + length), AckReply(kDdcAddr));

  EXPECT_EQ(Operations(), (std::vector<uint32_t>{kI2cWriteEnd, kI2cReadMore, kI2cReadEnd}));
  EXPECT_EQ(Lengths(), (std::vector<size_t>{8, 2, 6}));
  // No wait before the length bytes; 500 µs after them, then 1,000 µs before the rest.
  EXPECT_EQ(TimesUs(), (std::vector<int64_t>{1500, 1500, 3000}));
}

// The 500 µs after the length bytes are spent only on a reply the framing accepted.
TEST_F(NvidiaTransfer, RefusedReplyCostsNoPacingWait) {
  nvapi->QueueAuxAnswers({Answers({0x6F, 0x85})});
  std::array<uint8_t, kMaxDdcReplySize> reply{};
  int32_t length = 0;
  EXPECT_EQ(nvidia->DdcAuxRead(kDdcAddr, reply.data(), &length), gfx_status::kReplyRejected);
  EXPECT_EQ(Elapsed(), std::chrono::microseconds(0));
}

TEST_F(NvidiaTransfer, LongestDdcReplyIsReadInChunksOfSixteen) {
  std::vector<uint8_t> expected = {kDdcAddr, 0xFF};
  std::vector<SimNvAuxAnswer> answers = {Answers(expected)};
  for (uint8_t chunk = 0; chunk < 8; ++chunk) {
    answers.push_back(Answers(Sequence(16, static_cast<uint8_t>(chunk * 16))));
    for (uint8_t byte : Sequence(16, static_cast<uint8_t>(chunk * 16))) expected.push_back(byte);
  }
  nvapi->QueueAuxAnswers(answers);

  std::array<uint8_t, kMaxDdcReplySize> reply{};
  int32_t length = 0;
  EXPECT_EQ(nvidia->DdcAuxRead(kDdcAddr, reply.data(), &length), gfx_status::kSuccess);
  EXPECT_EQ(length, 130);
  EXPECT_EQ(std::vector<uint8_t>(reply.begin(), reply.begin() + length), expected);

  std::vector<uint32_t> operations(8, kI2cReadMore);
  operations.push_back(kI2cReadEnd);
  EXPECT_EQ(Operations(), operations);
  const std::vector<int64_t> times = TimesUs();
  ASSERT_EQ(times.size(), 9u);
  EXPECT_EQ(times[0], 0);
  for (size_t chunk = 1; chunk < times.size(); ++chunk) {
    EXPECT_EQ(times[chunk], 500 + 1000 * static_cast<int64_t>(chunk)) << chunk;
  }
}

// How a one-byte native read ends under each answer of the driver: retries while the sink
// defers (5 ms apart, three requests at most), reply and driver statuses as error codes.
struct AnswerCase {
  const char* name;
  friend void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }
  std::vector<SimNvAuxAnswer> answers;
  int32_t result;
  size_t requests;
  int32_t code;
  std::chrono::microseconds elapsed;
};

class NvidiaAnswers : public NvidiaTransfer, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(NvidiaAnswers, DecideTheTransaction) {
  const AnswerCase& c = GetParam();
  nvapi->QueueAuxAnswers(c.answers);
  uint8_t byte = 0;
  EXPECT_EQ(nvidia->NativeAuxRead(0x503, &byte, 1), c.result);
  EXPECT_EQ(Calls().size(), c.requests);
  EXPECT_EQ(nvidia->GetErrorCode(), c.code);
  EXPECT_EQ(nvidia->GetErrorText(), c.code == 0 ? "" : "NativeAuxRead... failed!");
  EXPECT_EQ(Elapsed(), c.elapsed);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, NvidiaAnswers,
    ::testing::Values(
        AnswerCase{"DeferredTwice", {Reply(kDefer), Reply(kDefer)}, 0, 3, 0, 11000us},
        AnswerCase{"DeferredThrice",
                   {Reply(kDefer), Reply(kDefer), Reply(kDefer)},
                   gfx_status::kVendorCallFailed,
                   3,
                   2,
                   11000us},
        AnswerCase{"DeferredThenNotAcknowledged",
                   {Reply(kDefer), Reply(kNack)},
                   gfx_status::kVendorCallFailed,
                   2,
                   1,
                   6000us},
        AnswerCase{"NotAcknowledged", {Reply(kNack)}, gfx_status::kVendorCallFailed, 1, 1, 1000us},
        // A reply status the driver does not define counts as acknowledged.
        AnswerCase{"UndefinedReplyStatus", {Reply(7)}, 0, 1, 0, 1000us},
        AnswerCase{
            "DriverFails", {Fails(kError)}, gfx_status::kVendorCallFailed, 1, kError, 1000us}),
    [](const auto& info) { return std::string(info.param.name); });

// Each operation's record after a failure: the code and text it leaves, and the requests made
// up to the failure.
struct OperationFailureCase {
  const char* name;
  friend void PrintTo(const OperationFailureCase& c, std::ostream* os) { *os << c.name; }
  std::function<int32_t(GfxLib&)> run;
  std::vector<SimNvAuxAnswer> answers;
  int32_t result;
  size_t requests;
  int32_t code;
  const char* text;
};

class NvidiaFailures : public NvidiaTransfer,
                       public ::testing::WithParamInterface<OperationFailureCase> {};

TEST_P(NvidiaFailures, AreRecorded) {
  const OperationFailureCase& c = GetParam();
  nvapi->QueueAuxAnswers(c.answers);
  EXPECT_EQ(c.run(*nvidia), c.result);
  EXPECT_EQ(Calls().size(), c.requests);
  EXPECT_EQ(nvidia->GetErrorCode(), c.code);
  EXPECT_EQ(nvidia->GetErrorText(), c.text);
}

int32_t WriteDdc40(GfxLib& gfx) {
  const std::vector<uint8_t> bytes(40, 0x55);
  return gfx.DdcAuxWrite(0x6E, bytes.data(), 40);
}
int32_t WriteNative40(GfxLib& gfx) {
  const std::vector<uint8_t> bytes(40, 0x55);
  return gfx.NativeAuxWrite(0x1000, bytes.data(), 40);
}
int32_t ReadNative40(GfxLib& gfx) {
  std::array<uint8_t, 40> bytes{};
  return gfx.NativeAuxRead(0x500, bytes.data(), 40);
}
int32_t ReadDdc(GfxLib& gfx) {
  std::array<uint8_t, kMaxDdcReplySize> reply{};
  int32_t length = 0;
  return gfx.DdcAuxRead(0x6E, reply.data(), &length);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, NvidiaFailures,
    ::testing::Values(OperationFailureCase{"DdcWrite",
                                           WriteDdc40,
                                           {Answers({}), Reply(kNack)},
                                           gfx_status::kVendorCallFailed,
                                           2,
                                           1,
                                           "DdcAuxWrite... failed!"},
                      OperationFailureCase{"NativeWrite",
                                           WriteNative40,
                                           {Answers({}), Answers({}), Fails(kError)},
                                           gfx_status::kVendorCallFailed,
                                           3,
                                           kError,
                                           "NativeAuxWrite... failed!"},
                      OperationFailureCase{"NativeRead",
                                           ReadNative40,
                                           {Reply(kNack)},
                                           gfx_status::kVendorCallFailed,
                                           1,
                                           1,
                                           "NativeAuxRead... failed!"},
                      OperationFailureCase{"DdcLengthBytes",
                                           ReadDdc,
                                           {Reply(kNack)},
                                           gfx_status::kVendorCallFailed,
                                           1,
                                           1,
                                           "Reading 2 length-bytes failed"},
                      // A driver without the AUX call shows on the first DDC read.
                      OperationFailureCase{"DdcLengthBytesWithoutAuxCall",
                                           ReadDdc,
                                           {Fails(kNoImplementation)},
                                           gfx_status::kVendorCallFailed,
                                           1,
                                           kNoImplementation,
                                           "NVAPI not implemented!"},
                      OperationFailureCase{"DdcReplyRest",
                                           ReadDdc,
                                           {Answers({0x6E, 0x85}), Reply(kNack)},
                                           gfx_status::kVendorCallFailed,
                                           2,
                                           1,
                                           "DdcAuxRead... failed!"},
                      OperationFailureCase{"DdcReplyTooShort",
                                           ReadDdc,
                                           {Answers({0x6E, 0x7D})},
                                           gfx_status::kReplyRejected,
                                           1,
                                           0,
                                           "Reply size (0) not correct!"},
                      OperationFailureCase{"DdcReplyFromAnotherAddress",
                                           ReadDdc,
                                           {Answers({0x6F, 0x85})},
                                           gfx_status::kReplyRejected,
                                           1,
                                           0,
                                           "Reply format not correct! (data[0] = 0x6F)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NvidiaTransfer, EveryTransactionStartsWithAClearRecord) {
  nvapi->QueueAuxAnswers({Reply(kNack)});
  uint8_t byte = 0;
  ASSERT_EQ(nvidia->NativeAuxWrite(0x1000, &byte, 1), gfx_status::kVendorCallFailed);
  ASSERT_EQ(nvidia->GetErrorCode(), 1);

  EXPECT_EQ(nvidia->NativeAuxRead(0x1000, &byte, 1), gfx_status::kSuccess);
  EXPECT_EQ(nvidia->GetErrorCode(), 0);
  EXPECT_EQ(nvidia->GetErrorText(), "");
}

}  // namespace
}  // namespace vexa::testing
