#include "tests/frontends/qt/dialog_test_bench.h"

#include <QtTest>
#include <fstream>
#include <sstream>

#include "engine/identification/chip_probe.h"
#include "sim/chip_profile.h"
#include "sim/spi_flash.h"
#include "tools/image_files.h"
#include "util/binary_file.h"
#include "util/utf8_path.h"

namespace vexa::testing {

namespace {

// Images carry data in their first 4 KiB only: the rest is blank and the write skips it,
// so a whole run takes little real time.
constexpr uint32_t kImageData = 0x1000;

std::vector<uint8_t> BinImage(sim::ChipModel model, std::array<uint8_t, 3> version) {
  tools::BinImageOptions options;
  options.model = model;
  options.version = version;
  options.dataSize = kImageData;
  tools::BuiltFile built = tools::BuildBinImage(options);
  if (!built.error.empty()) qFatal("BIN image refused: %s", built.error.c_str());
  return std::move(built.bytes);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (!WriteBinaryFile(PathFromUtf8(path), bytes)) qFatal("cannot write %s", path.c_str());
}

}  // namespace

DialogBench::DialogBench() {
  InitIspContext(ctx);
}

void DialogBench::BuildBoard(std::array<std::optional<BenchChip>, sim::kBoardSlotCount> chips) {
  std::array<std::unique_ptr<sim::Chip>, sim::kBoardSlotCount> built;
  for (size_t slot = 0; slot < chips.size(); ++slot) {
    if (!chips[slot]) continue;
    sim::ChipConfig config;
    config.model = chips[slot]->model;
    config.faults = chips[slot]->faults;
    built[slot] = std::make_unique<sim::Chip>(
        config, sim::SpiFlash(BinImage(chips[slot]->model, chips[slot]->version)));
  }
  board = std::make_unique<sim::Board>(sim::BoardSettings{}, std::move(built), clock);
  gfx = std::make_unique<GfxLibSim>(*board, clock, IspChipProbe());
}

std::string DialogBench::WriteBin(const std::string& name, sim::ChipModel model,
                                  std::array<uint8_t, 3> version) {
  WriteBytes(Path(name), BinImage(model, version));
  return Path(name);
}

std::string DialogBench::WriteDriver(const std::string& name, sim::ChipModel model) {
  tools::DriverFileOptions options;
  options.model = model;
  const tools::BuiltFile built = tools::BuildDriverFile(options);
  if (!built.error.empty()) qFatal("driver refused: %s", built.error.c_str());
  WriteBytes(Path(name), built.bytes);
  return Path(name);
}

void DialogBench::WriteConfig(const std::string& lines) {
  std::ofstream(Path("Config.ini"), std::ios::binary) << "[Firmware Update]\r\n" << lines;
}

void DialogBench::PrepareHostAndPort1(sim::ChipFaults hostFaults) {
  BuildBoard({BenchChip{sim::ChipModel::kOcelin4100, {0x01, 0x01, 0x00}, hostFaults},
              BenchChip{sim::ChipModel::kArivane},
              {}});
  WriteDriver("host-driver.bin", sim::ChipModel::kOcelin4100);
  WriteDriver("p1-driver.bin", sim::ChipModel::kArivane);
  WriteBin("host.bin", sim::ChipModel::kOcelin4100, {0x02, 0x01, 0x05});
  WriteBin("p1.bin", sim::ChipModel::kArivane, {0x67, 0x45, 0x89});
  WriteConfig(
      "DriverFilePath = host-driver.bin\r\nFWFilePath = host.bin\r\n"
      "DriverFilePathP1 = p1-driver.bin\r\nFWFileP1 = p1.bin\r\n"
      "OneStepProgramming = 0\r\nDrvFileReadOnly = 0\r\nFwFileReadOnly = 0\r\n");
}

std::string DialogBench::Path(const std::string& name) const {
  return dir_.filePath(QString::fromStdString(name)).toStdString();
}

std::unique_ptr<dialog::VexaTravikToolDlg> DialogBench::OpenDialog() {
  if (!board) BuildBoard({});
  dialog::DialogSetup setup;
  if (simulate) {
    setup.backends.simulator = transport != nullptr ? transport : gfx.get();
  } else {
    setup.backends.system = systemBackends;
  }
  setup.configPath = Path("Config.ini");
  setup.logPath = Path("VexaISP.log");
  auto dialog = std::make_unique<dialog::VexaTravikToolDlg>(ctx, setup);
  dialog->CompleteJobs();
  return dialog;
}

void DialogBench::FinishRun(dialog::VexaTravikToolDlg& dialog) {
  dialog.session().WaitForWorker();
  dialog.PollRun();
}

std::string DialogBench::LogText() const {
  std::ifstream in(Path("VexaISP.log"), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace vexa::testing
