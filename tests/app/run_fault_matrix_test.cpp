// Every fault a board chip can show, at each of the three targets and with each boot-code
// policy: the run ends failed with the fault's own error, the other targets go on as the run's
// order allows, no chip reports firmware it did not get, and a second run on the repaired
// board (power cycled, fault gone) leaves every chip on its new firmware. That holds for every
// row, also where a failed write left neither application nor boot code: the chip then runs
// its internal ROM, which the tool still identifies and programs.

#include <algorithm>
#include <functional>
#include <map>
#include <streambuf>

#include "app/run_report.h"
#include "chip/version_text.h"
#include "engine/engine_log.h"
#include "engine/run/isp_run.h"
#include "tests/sim/sim_board_fixture.h"
#include "transport/tracing_gfx_lib.h"
#include "util/text_format.h"

namespace vexa::testing {
namespace {

using sim::BoardSlot;

// How each chip's boot code stands before the run; every chip is programmed with the
// boot-code policy on.
enum class BootCode {
  kNone,  // no boot code on board or in the file: the whole image is written
  kKeep,  // the same version on board and in the file: only the application is rewritten
  kWrite  // an older one on board: the boot code is written, then the application
};

const char* BootCodeName(BootCode mode) {
  switch (mode) {
    case BootCode::kNone:
      return "NoBootCode";
    case BootCode::kKeep:
      return "KeepBootCode";
    case BootCode::kWrite:
      return "WriteBootCode";
  }
  return "";
}

// Where a transport fault strikes: the offset-th transaction reaching the target's chip after
// the last log line of its ISP section that starts with anchor and ends with suffix.
struct FaultPoint {
  const char* anchor;
  const char* suffix;
  uint32_t offset;
};

// In errorLine and logTail, {addr} is the target's command address, {erase} the erase code of
// its boot-code policy, {first} and {last} the names of the run's first and last flash write,
// {block3} the image offset of the third block of the first write (blocks of 504 bytes, as the
// default mailbox takes them).
struct FaultRow {
  const char* name;
  // Sets a fault key; null for a transport fault at point.
  void (*apply)(sim::ChipFaults& faults);
  FaultPoint point;
  // What the user is shown when the run fails: the first error, and the failing target's last
  // log lines.
  const char* errorLine;
  std::vector<std::string> logTail;
  // False when the fault strikes after the whole image was written: the target is done.
  bool targetFails = true;
  friend void PrintTo(const FaultRow& row, std::ostream* os) { *os << row.name; }
};

using MatrixParam = std::tuple<FaultRow, size_t, BootCode>;

// Reports each line of a transport trace, one per transaction, as it is written.
class TransactionTap final : public std::streambuf {
 public:
  explicit TransactionTap(std::function<void()> onTransaction)
      : onTransaction_(std::move(onTransaction)) {}

 protected:
  int overflow(int c) override {
    if (c == '\n') onTransaction_();
    return c;
  }

 private:
  std::function<void()> onTransaction_;
};

class FaultMatrix : public SimBoardTest, public ::testing::WithParamInterface<MatrixParam> {
 protected:
  FaultMatrix() { ctx.printTimeStamp = false; }

  const FaultRow& Row() const { return std::get<0>(GetParam()); }
  size_t Target() const { return std::get<1>(GetParam()); }
  BootCode Mode() const { return std::get<2>(GetParam()); }

  // The old or the new image of every target under a boot-code policy; the same for every
  // row, so built once.
  static const std::array<std::vector<uint8_t>, 3>& Images(BootCode mode, bool isNew) {
    static std::map<std::pair<BootCode, bool>, std::array<std::vector<uint8_t>, 3>> built;
    std::array<std::vector<uint8_t>, 3>& images = built[{mode, isNew}];
    if (!images[0].empty()) return images;
    std::optional<uint16_t> bootCode;
    if (mode == BootCode::kKeep) bootCode = 0x0102;
    if (mode == BootCode::kWrite) bootCode = isNew ? 0x0103 : 0x0102;
    const std::array<uint8_t, 3> version =
        isNew ? std::array<uint8_t, 3>{0x02, 0x02, 0x01} : std::array<uint8_t, 3>{0x01, 0x01, 0x00};
    for (size_t i = 0; i < images.size(); ++i) {
      const auto seed = static_cast<uint32_t>(isNew ? 40 + i : 1);
      tools::BinImageOptions options = ImageOptions(kHostAndPortModels[i], version, bootCode, seed);
      // Mostly blank, as the writer skips blank blocks: rows stay quick, and a write still
      // spans enough blocks to fail in the middle of one.
      options.dataSize = 0x3000;
      images[i] = BinImage(options);
    }
    return images;
  }

  static const std::vector<uint8_t>& Driver(size_t target) {
    static const std::array<std::vector<uint8_t>, 3> drivers = {DriverFile(kHostAndPortModels[0]),
                                                                DriverFile(kHostAndPortModels[1]),
                                                                DriverFile(kHostAndPortModels[2])};
    return drivers[target];
  }

  // A board whose chips hold the given flashes, the target's chip with faults.
  void Build(const std::array<std::vector<uint8_t>, 3>& flashes, sim::ChipFaults faults) {
    std::array<std::optional<SimChipSetup>, sim::kBoardSlotCount> chips;
    for (size_t i = 0; i < chips.size(); ++i) {
      chips[i] = SimChipSetup{ChipOf(kHostAndPortModels[i]), flashes[i]};
      if (i == Target()) chips[i]->config.faults = faults;
    }
    BuildBoard(std::move(chips));
    ctx.targets[kHostTarget].ddc2biAddr = sim::kHostCommandAddr;
  }

  // What a successful run leaves in the flash of target index: the new image, but with the
  // boot code it had when that is kept.
  std::vector<uint8_t> Updated(size_t index) const {
    std::vector<uint8_t> image = newImages[index];
    if (Mode() == BootCode::kKeep) {
      const size_t bootCode = sim::ProfileOf(kHostAndPortModels[index]).bootCodeSize;
      std::copy(oldImages[index].end() - static_cast<long>(bootCode), oldImages[index].end(),
                image.end() - static_cast<long>(bootCode));
    }
    return image;
  }

  void StageAll() {
    for (size_t i = 0; i < kTargetCount; ++i) {
      StageTarget(i, Driver(i), newImages[i]);
    }
  }

  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    for (size_t i = 0; i < ctx.log.Count(); ++i) lines.push_back(*ctx.log.EntryAt(i));
    return lines;
  }

  // The failing target's log section: from its "ISP on" line to the next target's or the
  // host reset.
  std::vector<std::string> TargetSection() const {
    const std::vector<std::string> lines = LogLines();
    auto begin =
        std::find(lines.begin(), lines.end(), "ISP on [" + TargetName(Target()) + "]:\r\n");
    if (begin == lines.end()) return {};
    auto end = std::find_if(begin + 1, lines.end(), [](const std::string& line) {
      return line.starts_with("ISP on [") || line == "Host device re-booting...\r\n" ||
             line == "Reset host device\r\n";
    });
    return {begin, end};
  }

  // The fault count that makes the target's chip fail at point, found on a clean run.
  uint32_t TransactionsUntil(const FaultPoint& point) {
    Build(oldImages, {});
    StageAll();
    std::vector<std::pair<size_t, uint64_t>> seen;  // log lines so far, chip's transactions
    const auto slot = static_cast<BoardSlot>(Target());
    TransactionTap tap([&] { seen.emplace_back(ctx.log.Count(), board->transactionsSeen(slot)); });
    std::ostream trace(&tap);
    TracingGfxLib tracing(*gfx, &trace);
    ctx.activeGfxLib = &tracing;
    EXPECT_TRUE(RunIsp(ctx)) << ctx.firstErrorText;
    ctx.activeGfxLib = gfx.get();

    const std::vector<std::string> lines = LogLines();
    const std::vector<std::string> section = TargetSection();
    const auto anchor = std::find_if(section.rbegin(), section.rend(), [&](const std::string& l) {
      return l.starts_with(point.anchor) && l.ends_with(point.suffix);
    });
    EXPECT_NE(anchor, section.rend()) << point.anchor;
    if (anchor == section.rend()) return 0;
    // The section's first line, its target's "ISP on", appears once in the log.
    const auto sectionStart =
        std::find(lines.begin(), lines.end(), section.front()) - lines.begin();
    const size_t anchorCount =
        static_cast<size_t>(sectionStart) + static_cast<size_t>(section.rend() - anchor);
    const auto first = std::find_if(seen.begin(), seen.end(),
                                    [&](const auto& entry) { return entry.first >= anchorCount; });
    EXPECT_NE(first, seen.end());
    return static_cast<uint32_t>(first->second) + point.offset;
  }

  std::string Fill(std::string text) const {
    const sim::ChipProfile& profile = sim::ProfileOf(kHostAndPortModels[Target()]);
    const uint32_t flashSize = profile.flashSize;
    const bool keep = Mode() == BootCode::kKeep;
    const bool write = Mode() == BootCode::kWrite;
    const std::string app = Mode() == BootCode::kNone ? "F/W" : "App F/W";
    const std::pair<std::string, std::string> fields[] = {
        {"{addr}", StrPrintf("0x%02X", ctx.targets[Target()].ddc2biAddr)},
        {"{erase}", !keep                  ? "FFFF"
                    : flashSize == 0x80000 ? "FFB2"
                                           : "FFB1"},
        {"{first}", write ? "boot-code" : app},
        {"{last}", app},
        {"{block3}", StrPrintf("0x%X", (write ? flashSize - profile.bootCodeSize : 0) + 2 * 504)},
    };
    for (const auto& [field, value] : fields) {
      for (size_t at = text.find(field); at != std::string::npos; at = text.find(field)) {
        text.replace(at, field.size(), value);
      }
    }
    return text;
  }

  // What the tool would show for the chip of target index after a power cycle.
  std::string ShownVersion(size_t index) { return OnBoardInfoText(QueryTarget(index)); }

  std::array<std::vector<uint8_t>, 3> oldImages;
  std::array<std::vector<uint8_t>, 3> newImages;
};

TEST_P(FaultMatrix, FailsWithItsOwnErrorAndASecondRunRecovers) {
  const FaultRow& row = Row();
  oldImages = Images(Mode(), false);
  newImages = Images(Mode(), true);
  sim::ChipFaults faults;
  if (row.apply != nullptr) {
    row.apply(faults);
  } else {
    faults.transportFailAfter = TransactionsUntil(row.point);
  }

  Build(oldImages, faults);
  StageAll();
  const bool hostTarget = Target() == kHostTarget;
  // A port's fault fails only that port; a host whose transport has gone fails the ports too.
  const bool runFails = row.targetFails || hostTarget;
  EXPECT_EQ(RunIsp(ctx), !runFails);
  const RunResultLines result = DescribeRunResult(ctx, ctx.runStatus.load());
  EXPECT_EQ(result.result, runFails ? "ISP failed!\r\n" : "ISP completed!\r\n");
  EXPECT_EQ(result.errorLine, runFails ? Fill(row.errorLine) : "");
  std::vector<std::string> tail;
  for (const std::string& line : row.logTail) tail.push_back(Fill(line) + "\r\n");
  const std::vector<std::string> section = TargetSection();
  ASSERT_GE(section.size(), tail.size());
  EXPECT_EQ(std::vector<std::string>(section.end() - static_cast<long>(tail.size()), section.end()),
            tail);
  EXPECT_EQ(ctx.targets[Target()].status.load(),
            row.targetFails ? TargetStatus::kFailed : TargetStatus::kDone);

  // The host first: when it fails the ports are left alone; a failed port stops nothing.
  const bool hostDone = !(hostTarget && row.targetFails);
  const std::vector<std::string> lines = LogLines();
  const auto logged = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  EXPECT_EQ(logged("Host device re-booting...\r\n"), hostDone);
  EXPECT_EQ(logged("Reset host device\r\n"), hostDone);
  for (size_t i = 0; i < kTargetCount; ++i) {
    if (i == Target()) continue;
    const TargetStatus status = !hostTarget       ? TargetStatus::kDone
                                : row.targetFails ? TargetStatus::kSelected
                                                  : TargetStatus::kFailed;
    EXPECT_EQ(ctx.targets[i].status.load(), status) << "target " << i;
    EXPECT_TRUE(FlashOf(static_cast<BoardSlot>(i)) == (hostTarget ? oldImages[i] : Updated(i)))
        << "target " << i;
  }

  // Power cycled without the fault: each chip shows the firmware it holds, never a version it
  // did not fully get.
  std::array<std::vector<uint8_t>, 3> flashes;
  for (size_t i = 0; i < kTargetCount; ++i) flashes[i] = FlashOf(static_cast<BoardSlot>(i));
  std::array<std::string, 3> shownOld, shownNew;
  Build(oldImages, {});
  for (size_t i = 0; i < kTargetCount; ++i) shownOld[i] = ShownVersion(i);
  Build({Updated(0), Updated(1), Updated(2)}, {});
  for (size_t i = 0; i < kTargetCount; ++i) shownNew[i] = ShownVersion(i);
  Build(flashes, {});
  const ChipInfo failed = QueryTarget(Target());
  const std::string shown = OnBoardInfoText(failed);
  if (flashes[Target()] == Updated(Target())) {
    EXPECT_EQ(shown, shownNew[Target()]);
  } else if (flashes[Target()] == oldImages[Target()]) {
    EXPECT_EQ(shown, shownOld[Target()]);
  } else {
    EXPECT_NE(failed.runMode, RunMode::kApplication) << shown;
  }

  StageAll();
  EXPECT_TRUE(RunIsp(ctx)) << FormatFirstError(ctx);
  ExpectHostAndPortsUpdated({Updated(0), Updated(1), Updated(2)});
  for (size_t i = 0; i < kTargetCount; ++i) {
    EXPECT_EQ(QueryTarget(i).runMode, RunMode::kApplication) << "target " << i;
  }
}

// clang-format off
const FaultRow kFaultRows[] = {
    {"NoAckOnDriverBoot", [](sim::ChipFaults& f) { f.noAckOpcode = 0x1D; }, {},
     "Error (11): SendIspDdcCmd: No ACK!",
     {"Booting up ISP driver... started", "Booting up ISP driver... failed"}},
    {"NoAckOnHalt", [](sim::ChipFaults& f) { f.noAckOpcode = 0x20; }, {},
     "Error (11): SendIspDdcCmd: No ACK!",
     {"ISP initialization... failed!"}},
    {"DriverChunkNoAck", [](sim::ChipFaults& f) { f.driverChunkNoAck = 2; }, {},
     "Error (11): ExecuteRamWriteBlock: AUX writing 0x0075 ... No ACK!",
     {"Loading ISP driver... started", "Loading ISP driver... failed!"}},
    // The driver's reset still works: only the flash ID is never posted.
    {"FlashIdNever", [](sim::ChipFaults& f) { f.flashIdNever = true; }, {},
     "Error (7): GetFlashID: Reply not correct!",
     {"Get Flash ID... started", "Get Flash ID... failed!", "Chip reset... done!"}},
    {"EraseNever", [](sim::ChipFaults& f) { f.eraseNever = true; }, {},
     "Error (1): EraseFlash: Timeout! (SPI flash might need more time to complete.)",
     {"Erasing flash ({erase})... started", "Erasing flash... failed!"}},
    {"BlockReject", [](sim::ChipFaults& f) { f.blockReject = 3; }, {},
     "Error (7): ExecuteFwWriteBlock ({block3}): Sending F/W payload: Reading ACK failed!",
     {"Writing {first}... started", "Writing {first}... failed!", "Chip reset... done!"}},
    {"TransportFailsInTheDriverDownload", nullptr, {"Loading ISP driver... started", "", 5},
     "Gfx Error (-2): I2C write at {addr}: AUX transaction failed",
     {"Loading ISP driver... started", "Loading ISP driver... failed!"}},
    {"TransportFailsWhileErasing", nullptr, {"Erasing flash (", "", 3},
     "Gfx Error (-2): DPCD read at 0x10000: AUX transaction failed",
     {"Erasing flash ({erase})... started", "Erasing flash... failed!"}},
    {"TransportFailsMidWrite", nullptr, {"Writing ", "started\r\n", 60},
     "Gfx Error (-2): DPCD write at 0x20170: AUX transaction failed",
     {"Writing {last}... started", "Writing {last}... failed!"}},
    // The image is whole when the reset command fails: the chip boots it at its next reset, so
    // the target is done and only a host, whose transport the ports need, fails the run.
    {"TransportFailsAtTheReset", nullptr, {"Writing ", "done!\r\n", 1},
     "Gfx Error (-2): DPCD write at 0x20000: AUX transaction failed",
     {"Writing {last}... started", "Writing {last}... done!"}, false},
};
// clang-format on

std::string RowName(const ::testing::TestParamInfo<MatrixParam>& info) {
  static constexpr std::array<const char*, kTargetCount> kTargets = {"Host", "Port1", "Port2"};
  return std::string(std::get<0>(info.param).name) + "_" + kTargets[std::get<1>(info.param)] + "_" +
         BootCodeName(std::get<2>(info.param));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FaultMatrix,
    ::testing::Combine(::testing::ValuesIn(kFaultRows), ::testing::Values(0u, 1u, 2u),
                       ::testing::Values(BootCode::kNone, BootCode::kKeep, BootCode::kWrite)),
    RowName);

}  // namespace
}  // namespace vexa::testing
