#include "sim/board_file.h"

#include <gtest/gtest.h>

namespace vexa::testing {
namespace {

using sim::BoardSlot;
using sim::ChipModel;

const std::filesystem::path kFile = "/boards/demo/board.ini";

TEST(BoardFile, ReadsEveryKeyAndResolvesPathsAgainstTheFile) {
  const sim::BoardFileParse parse = sim::ParseBoardFile(R"(
[Board]
AuxLatencyUs = 250        ; time one AUX transaction takes
VirtualTime = 1
HostBootMs = 800
[host]                    ; section names are not case-sensitive
Chip = 2
Cut = 0x31
DdcAddr = 0x70
FlashId = 0xEF14
EraseMs = 900
MailboxAddr = 0x30000
MailboxSize = 0x100
AckAddr = 0x18000
Flash = flash/host.flash
Firmware = /images/old.bin
NoAckOpcode = 0x1D
DriverChunkNoAck = 2
FlashIdNever = 1
EraseNever = 1
BlockReject = 3
TransportFailAfter = 200
[Port2]
Chip = 5
)",
                                                        kFile);
  ASSERT_TRUE(parse.board) << parse.error.ToString();
  const sim::BoardDescription& board = *parse.board;
  EXPECT_EQ(board.settings.auxLatency, std::chrono::microseconds(250));
  EXPECT_TRUE(board.settings.virtualTime);
  EXPECT_EQ(board.settings.hostBootTime, std::chrono::milliseconds(800));
  EXPECT_FALSE(board.chips[1]);

  const sim::ChipEntry& host = *board.chips[0];
  EXPECT_EQ(host.config.model, ChipModel::kOcelin4150);
  EXPECT_EQ(host.config.cut, 0x31);
  EXPECT_EQ(host.config.ddcAddr, 0x70);
  EXPECT_EQ(host.config.flashId, 0xEF14);
  EXPECT_EQ(host.config.eraseTime, std::chrono::milliseconds(900));
  EXPECT_EQ(host.config.mailbox.bufferAddr, 0x30000u);
  EXPECT_EQ(host.config.mailbox.bufferSize, 0x100);
  EXPECT_EQ(host.config.mailbox.ackAddr, 0x18000u);
  EXPECT_EQ(host.flashFile, std::filesystem::path("/boards/demo/flash/host.flash"));
  EXPECT_EQ(host.flashLine, 15);
  EXPECT_EQ(host.firmwareFile, std::filesystem::path("/images/old.bin"));
  EXPECT_EQ(host.config.faults.noAckOpcode, 0x1D);
  EXPECT_EQ(host.config.faults.driverChunkNoAck, 2u);
  EXPECT_TRUE(host.config.faults.flashIdNever);
  EXPECT_TRUE(host.config.faults.eraseNever);
  EXPECT_EQ(host.config.faults.blockReject, 3u);
  EXPECT_EQ(host.config.faults.transportFailAfter, 200u);

  // Everything not given takes its default.
  const sim::ChipEntry& port2 = *board.chips[2];
  EXPECT_EQ(port2.config.model, ChipModel::kQuivel);
  EXPECT_EQ(port2.config.cut, 0x21);
  EXPECT_EQ(port2.config.ddcAddr, 0x6E);
  EXPECT_EQ(port2.config.flashId, 0xC813);
  EXPECT_EQ(port2.config.eraseTime, std::chrono::milliseconds(1500));
  EXPECT_EQ(port2.config.mailbox.bufferAddr, 0x20000u);
  EXPECT_EQ(port2.config.mailbox.bufferSize, 0x200);
  EXPECT_EQ(port2.config.mailbox.ackAddr, 0x10000u);
  EXPECT_FALSE(port2.flashFile);
  EXPECT_FALSE(port2.config.faults.noAckOpcode);
  EXPECT_EQ(port2.config.faults.transportFailAfter, 0u);
}

// Every cut-off version of a valid file is either taken or refused with a line inside it.
TEST(BoardFile, TruncatedFilesAreTakenOrRefusedCleanly) {
  const std::string text =
      "[Board]\nAuxLatencyUs = 0x20\n[Host]\nChip = 4\nDdcAddr = 0x6E\nMailboxSize = 0x200\n"
      "Flash = host.flash ; comment\n[Port1]\nChip = 3\nBlockReject = 12\n";
  for (size_t length = 0; length <= text.size(); ++length) {
    const sim::BoardFileParse parse = sim::ParseBoardFile(text.substr(0, length), kFile);
    if (!parse.board) {
      EXPECT_GE(parse.error.line, 1) << length;
      EXPECT_LE(parse.error.line, 10) << length;
      EXPECT_FALSE(parse.error.message.empty());
    }
  }
}

TEST(BoardFile, SettingsDefaultToRealTimeAndHalfAMillisecond) {
  const sim::BoardFileParse parse = sim::ParseBoardFile("", kFile);
  ASSERT_TRUE(parse.board);
  EXPECT_EQ(parse.board->settings.auxLatency, std::chrono::microseconds(500));
  EXPECT_FALSE(parse.board->settings.virtualTime);
  EXPECT_EQ(parse.board->settings.hostBootTime, std::chrono::milliseconds(500));
}

struct ErrorCase {
  const char* name;
  friend void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }
  const char* text;
  // What ToString() says: file, line, section, key and reason.
  const char* error;
};

class BoardFileErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(BoardFileErrors, NameTheFileLineAndKey) {
  const sim::BoardFileParse parse = sim::ParseBoardFile(GetParam().text, kFile);
  EXPECT_FALSE(parse.board);
  EXPECT_EQ(parse.error.ToString(), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, BoardFileErrors,
    ::testing::Values(
        ErrorCase{"ChipOutOfRange", "[Host]\nChip = 9\n",
                  "/boards/demo/board.ini:2: [Host] Chip: 9 is outside 1 to 5"},
        ErrorCase{"ChipMissing", "[Host]\nChip = 1\n[Port1]\nCut = 0x10\n",
                  "/boards/demo/board.ini:3: [Port1] Chip: missing: every chip section names "
                  "its chip type (1 to 5)"},
        ErrorCase{"NotANumber", "[Host]\nChip = 1\nEraseMs = slow\n",
                  "/boards/demo/board.ini:3: [Host] EraseMs: 'slow' is not a number (decimal, "
                  "or hexadecimal after 0x)"},
        ErrorCase{"UnknownKey", "[Host]\nChip = 1\nEraseNevr = 1\n",
                  "/boards/demo/board.ini:3: [Host] EraseNevr: unknown key"},
        ErrorCase{"KeyGivenTwice", "[Board]\nVirtualTime = 1\nvirtualtime = 0\n",
                  "/boards/demo/board.ini:3: [Board] virtualtime: given twice; a key may appear "
                  "once per section"},
        ErrorCase{"UnknownSection", "[Port3]\nChip = 1\n",
                  "/boards/demo/board.ini:1: [Port3] unknown section (expected Board, Host, "
                  "Port1 or Port2)"},
        ErrorCase{"SectionGivenTwice", "[Host]\nChip = 1\n[HOST]\nChip = 2\n",
                  "/boards/demo/board.ini:3: [HOST] appears twice; a section may appear once"},
        ErrorCase{"LineWithoutEquals", "[Host]\nChip 1\n",
                  "/boards/demo/board.ini:2: expected \"key = value\""},
        ErrorCase{"KeyBeforeAnySection", "Chip = 1\n[Host]\n",
                  "/boards/demo/board.ini:1: key outside any section"},
        ErrorCase{"FlagNotZeroOrOne", "[Board]\nVirtualTime = 2\n",
                  "/boards/demo/board.ini:2: [Board] VirtualTime: 2 is outside 0 to 1"},
        ErrorCase{"OddDdcAddress", "[Host]\nChip = 1\nDdcAddr = 0x6F\n",
                  "/boards/demo/board.ini:3: [Host] DdcAddr: must be an even (8-bit write) I2C "
                  "address"},
        ErrorCase{"PortAtTheHostInterface", "[Port2]\nChip = 3\nDdcAddr = 0x60\n",
                  "/boards/demo/board.ini:3: [Port2] DdcAddr: 0x60 is the host chip's own "
                  "command interface; a port chip cannot use it"},
        ErrorCase{"OddMailboxSize", "[Host]\nChip = 1\nMailboxSize = 0x101\n",
                  "/boards/demo/board.ini:3: [Host] MailboxSize: must be even: the buffer is "
                  "used as two halves"},
        ErrorCase{"MailboxBelowTheWindows", "[Host]\nChip = 1\nMailboxAddr = 0x400\n",
                  "/boards/demo/board.ini:3: [Host] MailboxAddr: 0x400 is outside 0x1000 to "
                  "0xFFFFF"},
        ErrorCase{"AckAreaInsideTheBuffer", "[Host]\nChip = 1\nAckAddr = 0x20100\n",
                  "/boards/demo/board.ini:3: [Host] AckAddr: the acknowledge area "
                  "0x20100..0x2017F overlaps the buffer 0x20000..0x201FF"},
        ErrorCase{"SharedFlashFile",
                  "[Host]\nChip = 1\nFlash = a.flash\n[Port1]\nChip = 3\nFlash = ./a.flash\n",
                  "/boards/demo/board.ini:6: [Port1] Flash: is already the flash file of "
                  "[Host]"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexa::testing
