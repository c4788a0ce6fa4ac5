// The dialog against a simulated three-chip board in real time (500 us per AUX transaction,
// offscreen): records the longest time the user-interface thread went without running its
// event loop while the dialog started up, detected the adapter, queried the versions and ran
// a whole update. A 1 ms timer on that thread notes every gap between its firings; a gap is
// a stall of the window (no painting, no input).
//
// Usage: vexa_dialog_stall_bench [IMAGE_KIB]   (each chip's new image, 64 KiB by default:
// the dialog's work per poll does not grow with the image, only the run's length does)
#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "engine/identification/chip_probe.h"
#include "engine/isp_context.h"
#include "frontends/model/colors.h"
#include "frontends/qt/travik_tool_dlg.h"
#include "sim/board.h"
#include "sim/chip.h"
#include "sim/chip_profile.h"
#include "tools/image_files.h"
#include "transport/backends/sim/gfx_lib_sim.h"
#include "util/clock.h"

namespace vexa::bench {
namespace {

using sim::ChipModel;
using Steady = std::chrono::steady_clock;

constexpr std::array<ChipModel, 3> kModels = {ChipModel::kOcelin4100, ChipModel::kArivane,
                                              ChipModel::kSolvenia};
constexpr std::array<const char*, 3> kNames = {"host", "port1", "port2"};

// Notes the longest gap between firings of a 1 ms timer on the user-interface thread.
class StallMeter {
 public:
  StallMeter() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const Steady::time_point now = Steady::now();
      longest_ = std::max(longest_, now - last_);
      last_ = now;
    });
  }
  // Starts a phase: the longest gap counts from here.
  void Begin() {
    longest_ = {};
    last_ = Steady::now();
    timer_.start();
  }
  double EndMs() {
    timer_.stop();
    return std::chrono::duration<double, std::milli>(longest_).count();
  }

 private:
  QTimer timer_;
  Steady::time_point last_;
  Steady::duration longest_{};
};

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> Image(ChipModel model, std::array<uint8_t, 3> version, uint32_t size,
                           uint32_t seed) {
  tools::BinImageOptions options;
  options.model = model;
  options.version = version;
  options.size = size;
  options.seed = seed;
  return tools::BuildBinImage(options).bytes;
}

// Runs the event loop until the dialog has no detection or query under way.
void WaitForJobs(dialog::VexaTravikToolDlg& dialog) {
  while (dialog.session().JobInProgress()) {
    QEventLoop loop;
    QObject::connect(&dialog, &dialog::VexaTravikToolDlg::JobEnded, &loop, &QEventLoop::quit);
    loop.exec();
  }
}

void WaitForRun(dialog::VexaTravikToolDlg& dialog) {
  if (!dialog.session().RunInProgress()) return;
  QEventLoop loop;
  QObject::connect(&dialog, &dialog::VexaTravikToolDlg::RunEnded, &loop, &QEventLoop::quit);
  loop.exec();
}

struct Phase {
  const char* name;
  double stallMs;
  double seconds;
};

// The board, its transport and the engine context over one real clock.
struct RealTimeBoard {
  RealClock clock;
  std::unique_ptr<sim::Board> board;
  std::unique_ptr<GfxLibSim> gfx;
  IspContext ctx{clock};
};

std::unique_ptr<RealTimeBoard> BuildBoard(uint32_t imageSize) {
  auto built = std::make_unique<RealTimeBoard>();
  std::array<std::unique_ptr<sim::Chip>, sim::kBoardSlotCount> chips;
  for (size_t i = 0; i < kModels.size(); ++i) {
    sim::ChipConfig config;
    config.model = kModels[i];
    std::vector<uint8_t> flash = sim::ErasedFlashContents(sim::ProfileOf(kModels[i]).flashSize);
    const std::vector<uint8_t> old = Image(kModels[i], {0x01, 0x01, 0x00}, imageSize, 1);
    std::copy(old.begin(), old.end(), flash.begin());
    chips[i] = std::make_unique<sim::Chip>(config, sim::SpiFlash(std::move(flash)));
  }
  sim::BoardSettings settings;
  settings.virtualTime = false;
  built->board = std::make_unique<sim::Board>(settings, std::move(chips), built->clock);
  built->gfx = std::make_unique<GfxLibSim>(*built->board, built->clock, IspChipProbe());
  return built;
}

// Writes the drivers, the new images and a configuration file (one-step mode or not).
std::string WriteFiles(const QTemporaryDir& dir, uint32_t imageSize, bool oneStep) {
  const auto path = [&dir](const std::string& name) {
    return dir.filePath(QString::fromStdString(name)).toStdString();
  };
  std::string config = "[Firmware Update]\r\n";
  for (size_t i = 0; i < kModels.size(); ++i) {
    tools::DriverFileOptions driver;
    driver.model = kModels[i];
    WriteFile(path(std::string(kNames[i]) + "-driver.bin"), tools::BuildDriverFile(driver).bytes);
    WriteFile(path(std::string(kNames[i]) + "-new.bin"),
              Image(kModels[i], {0x02, 0x01, 0x05}, imageSize, 2));
  }
  config +=
      "DriverFilePath = host-driver.bin\r\nFWFilePath = host-new.bin\r\n"
      "DriverFilePathP1 = port1-driver.bin\r\nFWFileP1 = port1-new.bin\r\n"
      "DriverFilePathP2 = port2-driver.bin\r\nFWFileP2 = port2-new.bin\r\n";
  config += oneStep ? "OneStepProgramming = 1\r\n" : "OneStepProgramming = 0\r\n";
  const std::string configPath = path(oneStep ? "one-step.ini" : "files.ini");
  std::ofstream(configPath, std::ios::binary) << config;
  return configPath;
}

// Measures action (which starts dialog work) until wait says the work has ended.
template <typename Action, typename Wait>
Phase Measure(const char* name, StallMeter& meter, Action action, Wait wait) {
  const Steady::time_point start = Steady::now();
  meter.Begin();
  action();
  wait();
  const double stall = meter.EndMs();
  return {name, stall, std::chrono::duration<double>(Steady::now() - start).count()};
}

std::unique_ptr<dialog::VexaTravikToolDlg> OpenDialog(RealTimeBoard& board,
                                                      const std::string& configPath,
                                                      const QTemporaryDir& dir) {
  dialog::DialogSetup setup;
  setup.backends.simulator = board.gfx.get();
  setup.configPath = configPath;
  setup.logPath = dir.filePath(QStringLiteral("VexaISP.log")).toStdString();
  auto dialog = std::make_unique<dialog::VexaTravikToolDlg>(board.ctx, setup);
  dialog->show();
  return dialog;
}

}  // namespace
}  // namespace vexa::bench

int main(int argc, char** argv) {
  using namespace vexa::bench;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const uint32_t imageKiB = argc > 1 ? static_cast<uint32_t>(std::atoi(argv[1])) : 64;
  const uint32_t imageSize = imageKiB * 1024;
  QTemporaryDir dir;
  const std::string oneStepConfig = WriteFiles(dir, imageSize, true);
  const std::string filesConfig = WriteFiles(dir, imageSize, false);
  std::unique_ptr<RealTimeBoard> board = BuildBoard(imageSize);
  StallMeter meter;
  std::vector<Phase> phases;

  std::unique_ptr<vexa::dialog::VexaTravikToolDlg> dialog;
  phases.push_back(Measure(
      "one-step start-up (detection, three-chip version query)", meter,
      [&] { dialog = OpenDialog(*board, oneStepConfig, dir); }, [&] { WaitForJobs(*dialog); }));
  dialog.reset();
  phases.push_back(Measure(
      "start-up with the file panel (detection)", meter,
      [&] { dialog = OpenDialog(*board, filesConfig, dir); }, [&] { WaitForJobs(*dialog); }));
  phases.push_back(Measure(
      "Refresh", meter, [&] { dialog->RefreshAdapter(); }, [&] { WaitForJobs(*dialog); }));
  phases.push_back(Measure(
      "Get FW Version", meter, [&] { dialog->ShowFirmwareVersions(); },
      [&] { WaitForJobs(*dialog); }));
  phases.push_back(Measure(
      "Start: the whole three-chip run", meter, [&] { dialog->StartRun(); },
      [&] { WaitForRun(*dialog); }));
  const bool completed = dialog->outputBox()->backgroundColor() == vexa::ui::kGreen;

  std::printf("The dialog in real time, 500 us per AUX transaction, three chips, %u KiB images\n",
              imageKiB);
  std::printf("%-56s %12s %10s\n", "phase", "longest stall", "duration");
  double longest = 0;
  for (const Phase& phase : phases) {
    std::printf("%-56s %9.1f ms %8.2f s\n", phase.name, phase.stallMs, phase.seconds);
    longest = std::max(longest, phase.stallMs);
  }
  std::printf("longest GUI-thread stall: %.1f ms; the run %s\n", longest,
              completed ? "completed" : "FAILED");
  return completed ? 0 : 1;
}
