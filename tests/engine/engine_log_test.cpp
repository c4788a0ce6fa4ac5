#include "engine/engine_log.h"

#include "engine/isp_status.h"
#include "tests/engine/engine_fixture.h"
#include "util/utf16_text.h"

namespace vexa::testing {
namespace {

class EngineLogTest : public EngineTest {
 protected:
  // Local time stands at 09:05:03.007 on this clock.
  VirtualClock stampClock{{9, 5, 3, 7}};
  IspContext stamped{stampClock};
};

TEST_F(EngineLogTest, StampsEachMessageWithZeroPaddedLocalTime) {
  AddIspLog(stamped, "Chip reset... done!\r\n");
  AddIspLog(stamped, "");
  EXPECT_EQ(stamped.log.EntryAt(0), "[09:05:03.007] Chip reset... done!\r\n");
  EXPECT_EQ(stamped.log.EntryAt(1), "[09:05:03.007] ");
}

TEST_F(EngineLogTest, WithoutTimeStampsStoresTheMessageUnchanged) {
  stamped.printTimeStamp = false;
  AddIspLog(stamped, "Erase full SPI flash!\r\n");
  EXPECT_EQ(stamped.log.EntryAt(0), "Erase full SPI flash!\r\n");
}

TEST_F(EngineLogTest, CutsStampedLinesToTheLineBufferInUtf16Units) {
  // 15 units of stamp plus 500 two-byte characters: 515 units, cut to 511.
  std::string message;
  for (int i = 0; i < 500; ++i) message += "\xC3\xA9";
  AddIspLog(stamped, message);
  const std::string line = *stamped.log.EntryAt(0);
  EXPECT_EQ(Utf16Length(line), kMaxLogLineUnits);
  EXPECT_EQ(line.substr(line.size() - 2), "\xC3\xA9");
}

TEST_F(EngineLogTest, ConsumerTakesEntriesInOrderAndStopsAtTheEnd) {
  ctx.printTimeStamp = false;
  AddIspLog(ctx, "one\r\n");
  AddIspLog(ctx, "two\r\n");
  EXPECT_EQ(TakeNextLogLine(ctx), "one\r\n");
  EXPECT_EQ(TakeNextLogLine(ctx), "two\r\n");
  EXPECT_EQ(TakeNextLogLine(ctx), std::nullopt);
  EXPECT_EQ(ctx.logReadIndex.load(), 2u);
}

struct FirstErrorCase {
  const char* name;
  friend void PrintTo(const FirstErrorCase& c, std::ostream* os) { *os << c.name; }
  int32_t code;
  std::string text;
  int32_t gfxCode;
  const char* expected;
};

class FormatFirstErrorTest : public EngineTest,
                             public ::testing::WithParamInterface<FirstErrorCase> {};

TEST_P(FormatFirstErrorTest, RendersTheRecord) {
  const FirstErrorCase& c = GetParam();
  gfx.SetErrorRecord(c.gfxCode, "Library not found!");
  SetFirstError(ctx, c.code, c.text);
  EXPECT_EQ(FormatFirstError(ctx), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatFirstErrorTest,
    ::testing::Values(FirstErrorCase{"EngineError", 7, "Error: No correct F/W signature!", 0,
                                     "Error (7): Error: No correct F/W signature!"},
                      FirstErrorCase{"NoError", 0, "", 0, "Error (0): "},
                      FirstErrorCase{"SmallNegativeGfxCode", 6, "ignored", -2,
                                     "Gfx Error (-2): Library not found!"},
                      FirstErrorCase{"LowestDecimalGfxCode", 6, "ignored", -65535,
                                     "Gfx Error (-65535): Library not found!"},
                      FirstErrorCase{"VendorStatusWord", 6, "ignored",
                                     static_cast<int32_t>(0x80004005),
                                     "Gfx Error (0x80004005): Library not found!"},
                      FirstErrorCase{"OneBelowThreshold", 6, "ignored",
                                     static_cast<int32_t>(0xFFFF0000),
                                     "Gfx Error (0xFFFF0000): Library not found!"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace vexa::testing

namespace vexa::testing {
namespace {

class FirstErrorSnapshotTest : public EngineTest {};

TEST_F(FirstErrorSnapshotTest, TransportRecordIsTheOneOfTheFailure) {
  gfx.SetErrorRecord(-1, "DDC-AUX-Read: failed!");
  SetFirstError(ctx, 6, "ExecuteRegisterRead: Sending cmd failed!");
  // A later transaction (closing forwarding, say) resets the transport's own record.
  gfx.ClearError();
  EXPECT_EQ(FormatFirstError(ctx), "Gfx Error (-1): DDC-AUX-Read: failed!");

  ClearFirstError(ctx);
  EXPECT_EQ(FormatFirstError(ctx), "Error (0): ");
}

}  // namespace
}  // namespace vexa::testing
