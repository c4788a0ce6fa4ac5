#include "engine/protocol/flash_erase.h"

#include "engine/engine_log.h"
#include "testing/mailbox_script.h"
#include "tests/engine/engine_fixture.h"

namespace vexa::testing {
namespace {

using namespace std::chrono_literals;

class FlashEraseTest : public EngineTest {
 protected:
  // A run's estimate large enough that the progress these operations add is not capped.
  FlashEraseTest() { ctx.progressTotal = 100000; }
  MailboxScript mailbox{gfx};
};

struct EraseCommandCase {
  const char* name;
  uint16_t code;
  std::vector<uint8_t> command;
  friend void PrintTo(const EraseCommandCase& c, std::ostream* os) { *os << c.name; }
};

class EraseCommand : public FlashEraseTest,
                     public ::testing::WithParamInterface<EraseCommandCase> {};

TEST_P(EraseCommand, SendsTheCodeAndWaitsBeforePolling) {
  mailbox.Command(GetParam().command).EmptyPolls(4).Answer(Bytes("03 0C F1")).Clear();
  ctx.eraseProgressBudget = 2200;
  ctx.progressDone = 1000;

  EXPECT_TRUE(EraseFlash(ctx, GetParam().code));
  // The erase time, four empty polls of 50 ms and 1 ms before reading the answer.
  EXPECT_EQ(ElapsedMs(), 300ms + 4 * 50ms + 1ms);
  EXPECT_EQ(ctx.progressDone.load(), 1000u + 2200u);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, EraseCommand,
    ::testing::Values(EraseCommandCase{"WholeFlash", 0xFFFF, Bytes("05 19 FF FF 1C")},
                      EraseCommandCase{"App512K", 0xFFB2, Bytes("05 19 FF B2 51")},
                      EraseCommandCase{"App256K", 0xFFB1, Bytes("05 19 FF B1 52")}),
    [](const auto& info) { return info.param.name; });

TEST_F(FlashEraseTest, ProgressMovesWhileEachPollRuns) {
  // Four empty polls, the fifth finds the answer.
  mailbox.Command(Bytes("05 19 FF FF 1C")).EmptyPolls(4).Answer(Bytes("03 0C F1")).Clear();
  ctx.eraseProgressBudget = 2200;
  std::vector<uint32_t> seen;
  gfx.SetObserver([&](const AuxTransaction& t) {
    if (t.address == MailboxScript::kAck) seen.push_back(ctx.progressDone.load());
  });
  EXPECT_TRUE(EraseFlash(ctx, 0xFFFF));
  // 200 after the erase wait, 50 after each poll (the answer is read within the fifth); the
  // budget is reached before the acknowledge is cleared.
  EXPECT_EQ(seen, (std::vector<uint32_t>{200, 250, 300, 350, 400, 400, 2200, 2200}));
  EXPECT_EQ(ctx.progressDone.load(), 2200u);
  gfx.SetObserver(nullptr);

  // Without a budget the bar moves by the 200 of the erase wait only, and never back.
  mailbox.Command(Bytes("05 19 FF FF 1C")).EmptyPolls(4).Answer(Bytes("03 0C F1")).Clear();
  ctx.eraseProgressBudget = 0;
  ctx.progressDone = 500;
  EXPECT_TRUE(EraseFlash(ctx, 0xFFFF));
  EXPECT_EQ(ctx.progressDone.load(), 700u);
}

TEST_F(FlashEraseTest, EraseThatNeverAnswersTimesOutWithCodeOne) {
  mailbox.Command(Bytes("05 19 FF FF 1C")).EmptyPolls(200);
  ctx.eraseProgressBudget = 2200;
  EXPECT_FALSE(EraseFlash(ctx, 0xFFFF));
  EXPECT_EQ(ctx.firstErrorCode, 1);
  EXPECT_EQ(ctx.firstErrorText,
            "EraseFlash: Timeout! (SPI flash might need more time to complete.)");
  EXPECT_EQ(ElapsedMs(), 300ms + 200 * 50ms);
  EXPECT_EQ(ctx.progressDone.load(), 2200u);
}

TEST_F(FlashEraseTest, WrongAnswerAndFailedReadsAreReported) {
  mailbox.Command(Bytes("05 19 FF FF 1C")).Answer(Bytes("03 0C F2"));
  EXPECT_FALSE(EraseFlash(ctx, 0xFFFF));
  EXPECT_EQ(ctx.firstErrorCode, 7);
  EXPECT_EQ(ctx.firstErrorText, "EraseFlash: ACK not correct!");

  ClearFirstError(ctx);
  mailbox.Command(Bytes("05 19 FF FF 1C"));
  gfx.ExpectFailedNativeRead(MailboxScript::kAck, 1, 6).Times(200);
  const auto beforeFailedReads = ElapsedMs();
  EXPECT_FALSE(EraseFlash(ctx, 0xFFFF));
  EXPECT_EQ(ctx.firstErrorCode, 6);
  EXPECT_EQ(ctx.firstErrorText, "EraseFlash: Reading ACK failed!");
  // The erase time, then 50 ms after each failed read as after an empty poll.
  EXPECT_EQ(ElapsedMs() - beforeFailedReads, 300ms + 200 * 50ms);

  ClearFirstError(ctx);
  gfx.ExpectNativeWrite(MailboxScript::kBuffer + 1, Bytes("19 FF FF 1C"), 6);
  EXPECT_FALSE(EraseFlash(ctx, 0xFFFF));
  EXPECT_EQ(ctx.firstErrorText, "EraseFlash: Sending cmd failed!");
}

TEST_F(FlashEraseTest, FailedAnswerReadEndsThePolling) {
  // The answer was posted, but reading it fails (although bytes arrived): the erase reports
  // the read's failure instead of polling again.
  mailbox.Command(Bytes("05 19 FF FF 1C"));
  gfx.ExpectNativeRead(MailboxScript::kAck, {0x03})
      .ExpectNativeRead(MailboxScript::kAck, Bytes("03 0C F1"), 6);
  EXPECT_FALSE(EraseFlash(ctx, 0xFFFF));
  EXPECT_EQ(ctx.firstErrorCode, 6);
  EXPECT_EQ(ctx.firstErrorText, "EraseFlash: Reading ACK failed!");
  EXPECT_EQ(gfx.Remaining(), 0u);
}

TEST_F(FlashEraseTest, RunFlashEraseLogsAroundTheErase) {
  ctx.printTimeStamp = false;
  mailbox.Command(Bytes("05 19 FF B2 51")).Answer(Bytes("03 0C F1")).Clear();
  EXPECT_TRUE(RunFlashErase(ctx, 0xFFB2));
  mailbox.Command(Bytes("05 19 FF FF 1C")).Answer(Bytes("03 0C F0"));
  EXPECT_FALSE(RunFlashErase(ctx, 0xFFFF));
  EXPECT_EQ(ctx.log.EntryAt(0), "Erasing flash (FFB2)... started\r\n");
  EXPECT_EQ(ctx.log.EntryAt(1), "Erasing flash... done!\r\n");
  EXPECT_EQ(ctx.log.EntryAt(3), "Erasing flash... failed!\r\n");
}

TEST_F(FlashEraseTest, ResetIsAcknowledgedAfterItsSettleTime) {
  mailbox.Command(Bytes("04 20 01 25")).EmptyPolls(2).Answer(Bytes("03 0C F1")).Clear();
  EXPECT_TRUE(SendReset1Cmd(ctx));
  EXPECT_EQ(ElapsedMs(), 250ms + 2 * 10ms);
}

TEST_F(FlashEraseTest, ResetPollsAgainAtOnceAfterFailedReads) {
  mailbox.Command(Bytes("04 20 01 25"));
  gfx.ExpectFailedNativeRead(MailboxScript::kAck, 1, 6).Times(10);
  EXPECT_FALSE(SendReset1Cmd(ctx));
  EXPECT_EQ(ctx.firstErrorCode, 6);
  EXPECT_EQ(ctx.firstErrorText, "SendReset1Cmd: Reading ACK failed!");
  // Only the settle time: unlike the erase, the reset does not wait after a failed read.
  EXPECT_EQ(ElapsedMs(), 250ms);
}

TEST_F(FlashEraseTest, UnconfirmedResetLeavesTheFirstErrorOpen) {
  mailbox.Command(Bytes("04 20 01 25")).Answer(Bytes("03 0C F0"));
  EXPECT_FALSE(SendReset1Cmd(ctx));
  EXPECT_EQ(ctx.firstErrorCode, 0);
  EXPECT_EQ(ctx.firstErrorText, "SendReset1Cmd: ACK not correct!");

  mailbox.Command(Bytes("04 20 01 25")).EmptyPolls(10);
  EXPECT_FALSE(SendReset1Cmd(ctx));
  EXPECT_EQ(ctx.firstErrorText, "SendReset1Cmd: Replay not correct!");

  // A real error replaces the open record.
  gfx.ExpectNativeWrite(MailboxScript::kBuffer + 1, Bytes("20 01 25"), 6);
  EXPECT_FALSE(SendReset1Cmd(ctx));
  EXPECT_EQ(ctx.firstErrorCode, 6);
  EXPECT_EQ(ctx.firstErrorText, "SendReset1Cmd: Sending cmd failed!");
}

}  // namespace
}  // namespace vexa::testing
