#include <array>
#include <chrono>
#include <numeric>

#include "testing/ddc_frames.h"
#include "testing/scripted_gfx.h"
#include "tests/transport/backends/intel/intel_board_fixture.h"

namespace vexa::testing {
namespace {

using namespace std::chrono_literals;

constexpr int32_t kEFail = static_cast<int32_t>(0x80004005);

std::vector<uint8_t> Reply(const std::array<uint8_t, kMaxDdcReplySize>& buffer, int32_t length) {
  return {buffer.begin(), buffer.begin() + length};
}

// Display ids take the 32-byte record, LS-PCON ids 0x0C..0x0F the 160-byte one; the simulated
// driver decodes both from their bytes and refuses a record that breaks its layout.
struct LayoutCase {
  const char* name;
  friend void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }
  uint32_t deviceId;
  SimRecordKind kind;
};

class RecordLayouts : public IntelBoardTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(RecordLayouts, EveryRequestGoesInTheLayoutOfItsDevice) {
  const LayoutCase& c = GetParam();
  if (c.kind == SimRecordKind::kStandard) {
    driver.setup().adapters[0].displays.push_back(
        {c.deviceId, sim_display::kDisplayPort, sim_display::kAttached});
  }
  Select(c.deviceId);

  std::array<uint8_t, 6> branchId{};
  ASSERT_EQ(intel.NativeAuxRead(0x503, branchId.data(), 6), 0) << intel.GetErrorText();
  EXPECT_EQ(std::string(branchId.begin(), branchId.end()), "VX4100");
  const auto query = Bytes("51 85 C2 00 00 03 0A 71");
  ASSERT_EQ(intel.DdcAuxWrite(0x6E, query.data(), 8), 0) << intel.GetErrorText();
  std::array<uint8_t, kMaxDdcReplySize> reply{};
  int32_t length = 0;
  ASSERT_EQ(intel.DdcAuxRead(0x6E, reply.data(), &length), 0) << intel.GetErrorText();
  EXPECT_EQ(Reply(reply, length), AckReply(0x6E));

  EXPECT_EQ(Requests(driver.calls()), (std::vector<std::string>{
                                          "read 9 6@0x503",
                                          "write 0 8@0x6E",
                                          "read 5 2@0x6E",
                                          "read 1 6@0x6E",
                                      }));
  for (const SimCuiCall& call : driver.calls()) {
    EXPECT_EQ(call.kind, c.kind);
    EXPECT_EQ(call.deviceId, c.deviceId);
  }
}

INSTANTIATE_TEST_SUITE_P(
    DeviceIds, RecordLayouts,
    ::testing::Values(LayoutCase{"Display0x0300", kDpDisplay, SimRecordKind::kStandard},
                      LayoutCase{"Display0x0B", 0x0B, SimRecordKind::kStandard},
                      LayoutCase{"Display0x10", 0x10, SimRecordKind::kStandard},
                      LayoutCase{"LsPcon0x0C", 0x0C, SimRecordKind::kLsPcon},
                      LayoutCase{"LsPcon0x0D", 0x0D, SimRecordKind::kLsPcon},
                      LayoutCase{"LsPcon0x0F", 0x0F, SimRecordKind::kLsPcon}),
    [](const auto& info) { return std::string(info.param.name); });

// A long DDC write is one I2C transaction: every chunk but the last keeps it open.
TEST_F(IntelBoardTest, DdcWriteSendsOneTransactionInChunksOfSixteen) {
  Select(kDpDisplay);
  std::vector<uint8_t> bytes(40);
  std::iota(bytes.begin(), bytes.end(), uint8_t{1});
  ASSERT_EQ(intel.DdcAuxWrite(0x6E, bytes.data(), 40), 0);

  EXPECT_EQ(Requests(driver.calls()),
            (std::vector<std::string>{"write 4 16@0x6E", "write 4 16@0x6E", "write 0 8@0x6E"}));
  std::vector<uint8_t> sent;
  for (const SimCuiCall& call : driver.calls()) {
    for (const uint8_t byte : call.data) sent.push_back(byte);
  }
  EXPECT_EQ(sent, bytes);
}

// A reply is read as its two length bytes, then the rest in chunks of at most 16, the last
// one ending the I2C transaction.
struct DdcReadCase {
  const char* name;
  friend void PrintTo(const DdcReadCase& c, std::ostream* os) { *os << c.name; }
  // RAM-read data bytes the chip answers with: the reply is 8 bytes longer.
  uint8_t dataBytes;
  std::vector<std::string> requests;
};

class DdcReadChunks : public IntelBoardTest, public ::testing::WithParamInterface<DdcReadCase> {};

TEST_P(DdcReadChunks, ReadsLengthBytesThenTheRest) {
  const DdcReadCase& c = GetParam();
  Select(kDpDisplay);
  const auto request = RequestFrame(0x6E, 0x52, {0x00, 0x40, 0x00, 0x00, 0, 0, 0, c.dataBytes});
  ASSERT_EQ(intel.DdcAuxWrite(0x6E, request.data(), static_cast<int32_t>(request.size())), 0);
  driver.ClearCalls();

  std::array<uint8_t, kMaxDdcReplySize> reply{};
  int32_t length = 0;
  ASSERT_EQ(intel.DdcAuxRead(0x6E, reply.data(), &length), 0) << intel.GetErrorText();
  const std::vector<uint8_t> flash = FlashOf(sim::BoardSlot::kHost);
  EXPECT_EQ(Reply(reply, length),
            DataReply(0x6E, 0x52, {flash.begin(), flash.begin() + c.dataBytes}));
  EXPECT_EQ(Requests(driver.calls()), c.requests);
}

INSTANTIATE_TEST_SUITE_P(
    ReplyLengths, DdcReadChunks,
    ::testing::Values(DdcReadCase{"Reply13Bytes", 5, {"read 5 2@0x6E", "read 1 11@0x6E"}},
                      DdcReadCase{
                          "Reply38Bytes",
                          30,
                          {"read 5 2@0x6E", "read 5 16@0x6E", "read 5 16@0x6E", "read 1 4@0x6E"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IntelBoardTest, NativeTransfersMoveSixteenBytesPerRequest) {
  Select(kDpDisplay);
  std::array<uint8_t, 40> dpcd{};
  ASSERT_EQ(intel.NativeAuxRead(0x500, dpcd.data(), 40), 0);
  std::array<uint8_t, 40> direct{};
  ASSERT_EQ(board->DpcdRead(0x500, direct), sim::AuxReply::kAck);
  EXPECT_EQ(dpcd, direct);
  EXPECT_EQ(Requests(driver.calls()),
            (std::vector<std::string>{"read 9 16@0x500", "read 9 16@0x510", "read 9 8@0x520"}));

  driver.ClearCalls();
  std::vector<uint8_t> bytes(20);
  std::iota(bytes.begin(), bytes.end(), uint8_t{0x40});
  ASSERT_EQ(intel.NativeAuxWrite(0x20001, bytes.data(), 20), 0);
  EXPECT_EQ(Requests(driver.calls()),
            (std::vector<std::string>{"write 8 16@0x20001", "write 8 4@0x20011"}));
  EXPECT_EQ(driver.calls()[1].data, std::vector<uint8_t>(bytes.begin() + 16, bytes.end()));
}

// A deferred request is repeated: on a display after a 5 ms spin, up to six calls, except a
// write of the mailbox's first byte; on an LS-PCON device at once, up to fifty calls.
struct DeferCase {
  const char* name;
  friend void PrintTo(const DeferCase& c, std::ostream* os) { *os << c.name; }
  uint32_t deviceId;
  bool write;
  uint32_t address;
  int defers;
  int32_t status;
  size_t calls;
  std::chrono::microseconds spun;
  const char* errorText;
};

class DeferRetries : public IntelBoardTest, public ::testing::WithParamInterface<DeferCase> {};

TEST_P(DeferRetries, RepeatsDeferredRequestsWithinTheirBound) {
  const DeferCase& c = GetParam();
  Select(c.deviceId);
  driver.InjectFault({.hresult = 0, .errorWord = sim_cui_error::kAuxDefer}, c.defers);
  const auto spunBefore = clock.Spun();

  uint8_t byte = 0x5A;
  const int32_t status = c.write ? intel.NativeAuxWrite(c.address, &byte, 1)
                                 : intel.NativeAuxRead(c.address, &byte, 1);
  EXPECT_EQ(status, c.status);
  EXPECT_EQ(driver.calls().size(), c.calls);
  EXPECT_EQ(clock.Spun() - spunBefore, c.spun);
  EXPECT_EQ(clock.Slept(), 0us);
  EXPECT_EQ(intel.GetErrorCode(), c.status == 0 ? 0 : 70);
  EXPECT_EQ(intel.GetErrorText(), c.errorText);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, DeferRetries,
    ::testing::Values(
        DeferCase{"DisplayDeferringForGood", kDpDisplay, false, 0x503, 100, 6, 6, 30ms,
                  "Native-AUX-Read: failed! (AUX defer)"},
        DeferCase{"DisplayServedAfterTwoDefers", kDpDisplay, false, 0x503, 2, 0, 3, 10ms, ""},
        DeferCase{"DisplayMailboxFirstByteWriteNotRepeated", kDpDisplay, true, 0x20000, 100, 6, 1,
                  5ms, "Native-AUX-Write: failed! (AUX defer)"},
        DeferCase{"DisplayOtherMailboxWriteRepeated", kDpDisplay, true, 0x20001, 100, 6, 6, 30ms,
                  "Native-AUX-Write: failed! (AUX defer)"},
        DeferCase{"LsPconDeferringForGood", 0x0D, false, 0x503, 100, 6, 50, 0ms,
                  "Native-AUX-Read (LS-PCON): failed! (AUX defer)"},
        DeferCase{"LsPconServedAfterTenDefers", 0x0D, false, 0x503, 10, 0, 11, 0ms, ""},
        DeferCase{"LsPconMailboxFirstByteWriteRepeated", 0x0D, true, 0x20000, 3, 0, 4, 0ms, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Every failing request is recorded with its operation's text, "(LS-PCON)" for the LS-PCON
// record, and the driver's code, whose name ends the text.
enum class RequestOperation {
  kDdcWrite,
  kDdcReadLengthBytes,
  kDdcReadData,
  kNativeWrite,
  kNativeRead
};

struct RequestFailureCase {
  const char* name;
  friend void PrintTo(const RequestFailureCase& c, std::ostream* os) { *os << c.name; }
  uint32_t deviceId;
  RequestOperation operation;
  SimCuiFault fault;
  int32_t code;
  const char* text;
};

class RequestFailures : public IntelBoardTest,
                        public ::testing::WithParamInterface<RequestFailureCase> {
 protected:
  int32_t Run(RequestOperation operation) {
    std::array<uint8_t, kMaxDdcReplySize> buffer{};
    int32_t length = 0;
    switch (operation) {
      case RequestOperation::kDdcWrite:
        return intel.DdcAuxWrite(0x6E, buffer.data(), 8);
      case RequestOperation::kDdcReadLengthBytes:
      case RequestOperation::kDdcReadData:
        return intel.DdcAuxRead(0x6E, buffer.data(), &length);
      case RequestOperation::kNativeWrite:
        return intel.NativeAuxWrite(0x20000, buffer.data(), 4);
      case RequestOperation::kNativeRead:
        return intel.NativeAuxRead(0x503, buffer.data(), 4);
    }
    return -1;
  }
};

TEST_P(RequestFailures, RecordTheOperationAndTheDriversCode) {
  const RequestFailureCase& c = GetParam();
  Select(c.deviceId);
  if (c.operation == RequestOperation::kDdcReadData) {
    const auto query = Bytes("51 85 C2 00 00 03 0A 71");
    ASSERT_EQ(intel.DdcAuxWrite(0x6E, query.data(), 8), 0);
  }
  driver.InjectFault(c.fault, 1, c.operation == RequestOperation::kDdcReadData ? 1 : 0);

  EXPECT_EQ(Run(c.operation), gfx_status::kVendorCallFailed);
  EXPECT_EQ(intel.GetErrorCode(), c.code);
  EXPECT_EQ(intel.GetErrorText(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, RequestFailures,
    ::testing::Values(
        RequestFailureCase{"DdcWrite",
                           kDpDisplay,
                           RequestOperation::kDdcWrite,
                           {0, 71},
                           71,
                           "DDC-AUX-Write: failed! (AUX timeout)"},
        RequestFailureCase{"DdcWriteLsPcon",
                           0x0E,
                           RequestOperation::kDdcWrite,
                           {0, 71},
                           71,
                           "DDC-AUX-Write (LS-PCON): failed! (AUX timeout)"},
        RequestFailureCase{"DdcReadLengthBytes",
                           kDpDisplay,
                           RequestOperation::kDdcReadLengthBytes,
                           {0, 69},
                           69,
                           "DDC-AUX-Read: Reading len bytes failed! (invalid AUX data size)"},
        RequestFailureCase{
            "DdcReadLengthBytesLsPcon",
            0x0E,
            RequestOperation::kDdcReadLengthBytes,
            {0, 69},
            69,
            "DDC-AUX-Read (LS-PCON): Reading len bytes failed! (invalid AUX data size)"},
        RequestFailureCase{"DdcReadData",
                           kDpDisplay,
                           RequestOperation::kDdcReadData,
                           {0, 72},
                           72,
                           "DDC-AUX-Read: Reading data failed! (AUX incomplete write)"},
        RequestFailureCase{"DdcReadDataLsPcon",
                           0x0E,
                           RequestOperation::kDdcReadData,
                           {0, 72},
                           72,
                           "DDC-AUX-Read (LS-PCON): Reading data failed! (AUX incomplete write)"},
        RequestFailureCase{"NativeWrite",
                           kDpDisplay,
                           RequestOperation::kNativeWrite,
                           {0, 37},
                           37,
                           "Native-AUX-Write: failed! (I_CUI_Failure)"},
        RequestFailureCase{"NativeWriteLsPcon",
                           0x0E,
                           RequestOperation::kNativeWrite,
                           {0, 37},
                           37,
                           "Native-AUX-Write (LS-PCON): failed! (I_CUI_Failure)"},
        RequestFailureCase{"NativeRead",
                           kDpDisplay,
                           RequestOperation::kNativeRead,
                           {0, 200},
                           200,
                           "Native-AUX-Read: failed! (Err code: 0x00C8)"},
        RequestFailureCase{"NativeReadLsPcon",
                           0x0E,
                           RequestOperation::kNativeRead,
                           {0, 80},
                           80,
                           "Native-AUX-Read (LS-PCON): failed! (unsupported version)"},
        // A failed call is a failure even when the driver left the error word 0.
        RequestFailureCase{"FailedCallWithoutErrorWord",
                           kDpDisplay,
                           RequestOperation::kNativeRead,
                           {kEFail, 0},
                           kEFail,
                           "Native-AUX-Read: failed! (Err code: 0x4005)"},
        RequestFailureCase{"FailedCallWithErrorWord",
                           kDpDisplay,
                           RequestOperation::kNativeRead,
                           {kEFail, 71},
                           71,
                           "Native-AUX-Read: failed! (AUX timeout)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IntelBoardTest, RequestsWithoutTheDriverObjectFailWithCodeMinusOne) {
  Select(kDpDisplay);
  intel.Uninitialize();
  uint8_t byte = 0;
  EXPECT_EQ(intel.NativeAuxRead(0x503, &byte, 1), gfx_status::kVendorCallFailed);
  EXPECT_EQ(intel.GetErrorCode(), GfxLibIntel::kNoDriverCode);
  EXPECT_EQ(intel.GetErrorText(), "Native-AUX-Read: failed! (Err code: 0xFFFF)");
  EXPECT_TRUE(driver.calls().empty());
}

// The record describes the last transaction: each one resets the code (the text stays until
// the next failure replaces it).
TEST_F(IntelBoardTest, EachTransactionResetsTheCode) {
  Select(kDpDisplay);
  uint8_t byte = 0;
  driver.InjectFault({0, 71});
  ASSERT_EQ(intel.NativeAuxRead(0x503, &byte, 1), gfx_status::kVendorCallFailed);
  EXPECT_EQ(intel.GetErrorCode(), 71);

  EXPECT_EQ(intel.NativeAuxRead(0x503, &byte, 1), gfx_status::kSuccess);
  EXPECT_EQ(intel.GetErrorCode(), 0);
  EXPECT_EQ(intel.GetErrorText(), "Native-AUX-Read: failed! (AUX timeout)");

  driver.InjectFault({0, 37});
  EXPECT_EQ(intel.DdcAuxWrite(0x6E, &byte, 1), gfx_status::kVendorCallFailed);
  EXPECT_EQ(intel.GetErrorCode(), 37);
  EXPECT_EQ(intel.GetErrorText(), "DDC-AUX-Write: failed! (I_CUI_Failure)");
}

}  // namespace
}  // namespace vexa::testing
