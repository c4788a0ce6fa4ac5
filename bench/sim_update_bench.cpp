// Full updates on the simulated board in virtual time, one child process per case so that its
// host CPU time and peak memory are its own. For each case it prints the AUX transactions the
// run made and the protocol's minimum, the protocol time (what the update takes on hardware)
// and the protocol's lower bound, their ratio, the host CPU time and the peak memory.
//
// The protocol's lower bound, with L the board's latency per AUX transaction (500 us):
//
//   waits       = protocol time - transactions x L
//                 (the time the run spends outside AUX transactions: the protocol's fixed
//                  waits, and the erase the chip takes)
//   lower bound = waits + minimum transactions x L
//   ratio       = protocol time / lower bound
//
// where the minimum counts one AUX transaction per 16 bytes of each transfer, a transfer being
// one transport call or a run of contiguous DPCD writes (TransferCounter). The ratio is 1.00
// exactly when no transfer takes more AUX transactions than its bytes need.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/transfer_counter.h"
#include "engine/firmware_files.h"
#include "engine/identification/chip_probe.h"
#include "engine/isp_context.h"
#include "engine/run/isp_run.h"
#include "sim/board.h"
#include "sim/chip.h"
#include "sim/chip_profile.h"
#include "tools/image_files.h"
#include "transport/backends/sim/gfx_lib_sim.h"

namespace vexa::bench {
namespace {

using sim::ChipModel;

constexpr uint32_t kKiB = 1024;

// One chip to update: its model and the size of its new image.
struct TargetSpec {
  ChipModel model;
  uint32_t imageSize;
};

struct BenchCase {
  std::string name;
  // The host first, then the chips behind ports 1 and 2.
  std::vector<TargetSpec> targets;
};

// What a case's child process reports back through its pipe.
struct CaseResult {
  bool updated = false;
  uint64_t transactions = 0;
  uint64_t minimum = 0;
  double protocolSeconds = 0;
  double waitsSeconds = 0;
};

std::vector<uint8_t> BuiltBytes(const tools::BuiltFile& built) {
  if (!built.error.empty()) std::fprintf(stderr, "image refused: %s\n", built.error.c_str());
  return built.bytes;
}

void StageTarget(IspContext& ctx, size_t index, const TargetSpec& spec) {
  tools::DriverFileOptions driverOptions;
  driverOptions.model = spec.model;
  const std::vector<uint8_t> driver = BuiltBytes(tools::BuildDriverFile(driverOptions));
  ctx.loadedDriverFile = driver;
  AssignDriverImage(ctx, static_cast<int32_t>(index), static_cast<int32_t>(driver.size()));
  tools::BinImageOptions imageOptions;
  imageOptions.model = spec.model;
  imageOptions.version = {0x02, 0x01, 0x05};
  imageOptions.size = spec.imageSize;
  imageOptions.seed = static_cast<uint32_t>(index + 1);
  const std::vector<uint8_t> image = BuiltBytes(tools::BuildBinImage(imageOptions));
  ctx.loadedFwFile = image;
  FwFileInfo info;
  AssignFwImage(ctx, static_cast<int32_t>(index), static_cast<int32_t>(image.size()), info);
}

CaseResult RunCase(const BenchCase& benchCase) {
  VirtualClock clock;
  const sim::BoardSettings settings;
  std::array<std::unique_ptr<sim::Chip>, sim::kBoardSlotCount> chips;
  for (size_t i = 0; i < benchCase.targets.size(); ++i) {
    sim::ChipConfig config;
    config.model = benchCase.targets[i].model;
    chips[i] = std::make_unique<sim::Chip>(
        config, sim::SpiFlash(sim::ErasedFlashContents(sim::ProfileOf(config.model).flashSize)));
  }
  sim::Board board(settings, std::move(chips), clock);
  GfxLibSim gfx(board, clock, IspChipProbe());
  TransferCounter counter(gfx);
  IspContext ctx(clock);
  ctx.activeGfxLib = &counter;
  ctx.printTimeStamp = false;
  // With chips behind the ports the host is addressed at its own command interface.
  if (benchCase.targets.size() > 1) ctx.targets[kHostTarget].ddc2biAddr = sim::kHostCommandAddr;
  for (size_t i = 0; i < benchCase.targets.size(); ++i) StageTarget(ctx, i, benchCase.targets[i]);

  CaseResult result;
  result.updated = RunIsp(ctx);
  if (!result.updated)
    std::fprintf(stderr, "%s: %s\n", benchCase.name.c_str(), ctx.firstErrorText.c_str());
  result.transactions = board.transactionCount();
  result.minimum = counter.minimumTransactions();
  const std::chrono::duration<double> protocol = clock.Elapsed();
  const std::chrono::duration<double> onTheWire =
      settings.auxLatency * static_cast<int64_t>(result.transactions);
  result.protocolSeconds = protocol.count();
  result.waitsSeconds = (protocol - onTheWire).count();
  return result;
}

double Seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// Runs the case in a child process; false when the child failed.
bool MeasureCase(const BenchCase& benchCase, double latencySeconds) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    close(fds[0]);
    const CaseResult result = RunCase(benchCase);
    const bool written = write(fds[1], &result, sizeof result) == sizeof result;
    _exit(written && result.updated ? 0 : 1);
  }
  close(fds[1]);
  CaseResult result;
  const bool read = ::read(fds[0], &result, sizeof result) == sizeof result;
  close(fds[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  if (!read || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::printf("%-30s failed\n", benchCase.name.c_str());
    return false;
  }
  const double bound = result.waitsSeconds + static_cast<double>(result.minimum) * latencySeconds;
  std::printf("%-30s %8llu %8llu %9.3f %9.3f %6.2f %7.3f %8.1f\n", benchCase.name.c_str(),
              static_cast<unsigned long long>(result.transactions),
              static_cast<unsigned long long>(result.minimum), result.protocolSeconds, bound,
              result.protocolSeconds / bound, Seconds(usage.ru_utime) + Seconds(usage.ru_stime),
              static_cast<double>(usage.ru_maxrss) / 1024.0);
  return true;
}

std::vector<BenchCase> Cases() {
  std::vector<BenchCase> cases;
  for (const ChipModel model : {ChipModel::kOcelin4100, ChipModel::kOcelin4150, ChipModel::kArivane,
                                ChipModel::kSolvenia, ChipModel::kQuivel}) {
    for (const uint32_t size : {64 * kKiB, 256 * kKiB, 512 * kKiB}) {
      // An image larger than the chip's flash is no update of it.
      if (size > sim::ProfileOf(model).flashSize) continue;
      cases.push_back({"type " + std::to_string(static_cast<int>(model)) + ", " +
                           std::to_string(size / kKiB) + " KiB",
                       {{model, size}}});
    }
  }
  cases.push_back({"three chips (1, 3, 4), full",
                   {{ChipModel::kOcelin4100, 512 * kKiB},
                    {ChipModel::kArivane, 256 * kKiB},
                    {ChipModel::kSolvenia, 256 * kKiB}}});
  return cases;
}

}  // namespace
}  // namespace vexa::bench

int main() {
  using namespace vexa::bench;
  const double latency =
      std::chrono::duration<double>(vexa::sim::BoardSettings{}.auxLatency).count();
  std::printf("Full updates on the simulated board, %.0f us per AUX transaction, virtual time\n",
              latency * 1e6);
  std::printf("%-30s %8s %8s %9s %9s %6s %7s %8s\n", "case", "AUX tx", "minimum", "protocol",
              "bound", "ratio", "CPU s", "peak MiB");
  bool allMeasured = true;
  for (const BenchCase& benchCase : Cases()) allMeasured &= MeasureCase(benchCase, latency);
  return allMeasured ? 0 : 1;
}
