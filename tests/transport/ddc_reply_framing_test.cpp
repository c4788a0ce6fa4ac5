#include "transport/ddc_reply_framing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "transport/gfx_lib.h"

namespace vexa {
namespace {

constexpr uint8_t kAddr = 0x6E;
constexpr uint8_t kUntouched = 0xAA;

// A device with one reply waiting, served in order to the framing's vendor reads, which it
// logs as "begin", "length", "rest <count>" and "rest <count> end".
class FakeDdcDevice {
 public:
  explicit FakeDdcDevice(std::vector<uint8_t> reply) : reply_(std::move(reply)) {}

  // The vendor read with this position in the log (counting from the length read) fails.
  void FailRead(size_t position) { failingRead_ = position; }

  DdcReplySource Source(int32_t chunkSize) {
    return {
        .chunkSize = chunkSize,
        .beginTransaction = [this] { events.push_back("begin"); },
        .readLengthBytes = [this](uint8_t, uint8_t* out) { return Serve(out, 2, "length"); },
        .readRest =
            [this](uint8_t, uint8_t* out, int32_t count, bool endsTransaction) {
              return Serve(out, count,
                           "rest " + std::to_string(count) + (endsTransaction ? " end" : ""));
            },
        .onAccepted = [this] { events.push_back("accepted"); },
        .onRejected = [this](const DdcFramingRejection& r) { rejections.push_back(r); },
    };
  }

  std::vector<std::string> events;
  std::vector<DdcFramingRejection> rejections;

 private:
  int32_t Serve(uint8_t* out, int32_t count, std::string event) {
    events.push_back(std::move(event));
    if (failingRead_ == reads_++) return -1;
    for (int32_t i = 0; i < count; ++i, ++served_) {
      out[i] = served_ < reply_.size() ? reply_[served_] : 0xEE;
    }
    return 0;
  }

  std::vector<uint8_t> reply_;
  size_t served_ = 0;
  size_t reads_ = 0;
  std::optional<size_t> failingRead_;
};

// Address byte, length byte, then payload and checksum bytes 0, 1, 2, ... as announced.
std::vector<uint8_t> Reply(uint8_t address, uint8_t lengthByte) {
  std::vector<uint8_t> reply{address, lengthByte};
  for (int i = 0; i < lengthByte - 0x80 + 1; ++i) reply.push_back(static_cast<uint8_t>(i));
  return reply;
}

// The events of a read whose length bytes passed the framing: begin, length, accepted, then
// the rest.
std::vector<std::string> Events(std::vector<std::string> rest) {
  rest.insert(rest.begin(), {"begin", "length", "accepted"});
  return rest;
}

// The events of a read that ended with the length bytes (refused, or their read failed).
const std::vector<std::string> kEndedAtTheLengthBytes = {"begin", "length"};

struct FramingCase {
  const char* name;
  uint8_t address;
  uint8_t lengthByte;
  int32_t chunkSize;
  int32_t status;
  // Reply length on success; the rejection's announced total length otherwise.
  int32_t length;
  std::vector<std::string> events;
  std::optional<DdcFramingFault> fault = std::nullopt;
};

void PrintTo(const FramingCase& c, std::ostream* out) {
  *out << c.name;
}

class DdcReplyFramingTest : public ::testing::TestWithParam<FramingCase> {};

TEST_P(DdcReplyFramingTest, ReadsOrRejectsTheReply) {
  const FramingCase& c = GetParam();
  const std::vector<uint8_t> reply = Reply(c.address, c.lengthByte);
  FakeDdcDevice device(reply);
  std::vector<uint8_t> buffer(kMaxDdcReplySize, kUntouched);
  int32_t length = -1;

  EXPECT_EQ(ReadFramedDdcReply(kAddr, buffer.data(), &length, device.Source(c.chunkSize)),
            c.status);
  EXPECT_EQ(device.events, c.events);

  if (c.status == gfx_status::kSuccess) {
    EXPECT_EQ(length, c.length);
    const std::vector<uint8_t> expected(reply.begin(), reply.begin() + c.length);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + c.length), expected);
    EXPECT_TRUE(std::all_of(buffer.begin() + c.length, buffer.end(),
                            [](uint8_t b) { return b == kUntouched; }));
    EXPECT_TRUE(device.rejections.empty());
  } else {
    EXPECT_EQ(length, -1);
    EXPECT_EQ(buffer, std::vector<uint8_t>(kMaxDdcReplySize, kUntouched));
    ASSERT_EQ(device.rejections.size(), 1u);
    EXPECT_EQ(device.rejections[0].fault, c.fault);
    EXPECT_EQ(device.rejections[0].totalLength, c.length);
    EXPECT_EQ(device.rejections[0].addressByte, c.address);
  }
}

std::vector<std::string> SixteenByteChunks(int count, const char* last) {
  std::vector<std::string> events(count - 1, "rest 16");
  events.push_back(last);
  return events;
}

INSTANTIATE_TEST_SUITE_P(
    LengthAndAddressBytes, DdcReplyFramingTest,
    ::testing::Values(
        FramingCase{"LargestLengthByte", kAddr, 0xFF, kAuxChunkSize, 0, 130,
                    Events(SixteenByteChunks(8, "rest 16 end"))},
        FramingCase{"LargestLengthByteInOneVendorCall", kAddr, 0xFF, kMaxDdcReplySize, 0, 130,
                    Events({"rest 128 end"})},
        FramingCase{"AckFrame", kAddr, 0x85, kAuxChunkSize, 0, 8, Events({"rest 6 end"})},
        FramingCase{"NullMessage", kAddr, 0x80, kAuxChunkSize, 0, 3, Events({"rest 1 end"})},
        FramingCase{"LengthByte7FEndsAfterTwoBytes", kAddr, 0x7F, kAuxChunkSize, 0, 2, Events({})},
        FramingCase{"LengthByte7EEndsAfterTwoBytes", kAddr, 0x7E, kAuxChunkSize, 0, 2, Events({})},
        FramingCase{"LengthByte7DRejected", kAddr, 0x7D, kAuxChunkSize, 7, 0,
                    kEndedAtTheLengthBytes, DdcFramingFault::kTooShort},
        FramingCase{"LengthByte00Rejected", kAddr, 0x00, kAuxChunkSize, 7, -125,
                    kEndedAtTheLengthBytes, DdcFramingFault::kTooShort},
        FramingCase{"WrongAddressByteRejected", 0x6F, 0x85, kAuxChunkSize, 7, 8,
                    kEndedAtTheLengthBytes, DdcFramingFault::kWrongAddress}),
    [](const ::testing::TestParamInfo<FramingCase>& info) { return info.param.name; });

TEST(DdcReplyFramingFailureTest, FailedVendorReadEndsWithSixAndLeavesTheOutputsAlone) {
  struct Case {
    size_t failingRead;
    std::vector<std::string> events;
  };
  for (const Case& c : {Case{0, kEndedAtTheLengthBytes}, Case{2, Events({"rest 16", "rest 16"})}}) {
    SCOPED_TRACE(c.failingRead);
    FakeDdcDevice device(Reply(kAddr, 0xFF));
    device.FailRead(c.failingRead);
    std::vector<uint8_t> buffer(kMaxDdcReplySize, kUntouched);
    int32_t length = -1;

    EXPECT_EQ(ReadFramedDdcReply(kAddr, buffer.data(), &length, device.Source(kAuxChunkSize)),
              gfx_status::kVendorCallFailed);
    EXPECT_EQ(device.events, c.events);
    EXPECT_EQ(length, -1);
    EXPECT_EQ(buffer, std::vector<uint8_t>(kMaxDdcReplySize, kUntouched));
  }
}

TEST(DdcReplyFramingFailureTest, NullBufferOrLengthIsRefusedBeforeTheTransactionBegins) {
  FakeDdcDevice device(Reply(kAddr, 0x85));
  uint8_t buffer[kMaxDdcReplySize];
  int32_t length = 0;
  EXPECT_EQ(ReadFramedDdcReply(kAddr, nullptr, &length, device.Source(kAuxChunkSize)),
            gfx_status::kInvalidArgument);
  EXPECT_EQ(ReadFramedDdcReply(kAddr, buffer, nullptr, device.Source(kAuxChunkSize)),
            gfx_status::kInvalidArgument);
  EXPECT_TRUE(device.events.empty());
}

}  // namespace
}  // namespace vexa
