#pragma once

#include <QTemporaryDir>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/isp_context.h"
#include "frontends/qt/travik_tool_dlg.h"
#include "sim/board.h"
#include "sim/chip_config.h"
#include "transport/adapter_detection.h"
#include "transport/backends/sim/gfx_lib_sim.h"
#include "util/clock.h"

namespace vexa::testing {

// One chip of the simulated board: its model, its faults and the firmware version it runs.
struct BenchChip {
  sim::ChipModel model = sim::ChipModel::kOcelin4100;
  std::array<uint8_t, 3> version{0x01, 0x01, 0x00};
  sim::ChipFaults faults = {};
};

// What a dialog test works on: a simulated board on a virtual clock, the engine context over
// it, and a folder with the configuration file, the driver and BIN files and the log file.
class DialogBench {
 public:
  DialogBench();

  // Builds the board; slots without a chip stay empty.
  void BuildBoard(std::array<std::optional<BenchChip>, sim::kBoardSlotCount> chips);
  // A BIN image of model with version, or the chip's ISP driver; returns the file's path.
  std::string WriteBin(const std::string& name, sim::ChipModel model,
                       std::array<uint8_t, 3> version);
  std::string WriteDriver(const std::string& name, sim::ChipModel model);
  // Writes the configuration file: the "Firmware Update" section with these lines.
  void WriteConfig(const std::string& lines);
  // The board, files and configuration of the host and the chip behind Port#1, both with
  // files, in the normal mode.
  void PrepareHostAndPort1(sim::ChipFaults hostFaults = {});
  std::string Path(const std::string& name) const;

  // The dialog over the board (no board built: no chip on the port), its start-up detection
  // and query finished.
  std::unique_ptr<dialog::VexaTravikToolDlg> OpenDialog();
  // Runs the worker to its end and takes the dialog's look that sees it.
  void FinishRun(dialog::VexaTravikToolDlg& dialog);
  std::string LogText() const;

  VirtualClock clock;
  IspContext ctx{clock};
  std::unique_ptr<sim::Board> board;
  std::unique_ptr<GfxLibSim> gfx;
  // The detection tries the simulated board alone; clear for an automatic detection.
  bool simulate = true;
  // When set, the detection finds this transport in place of gfx (a wrapper around it).
  GfxLib* transport = nullptr;
  // What an automatic detection tries (simulate cleared); none by default.
  std::vector<CandidateBackend> systemBackends;

 private:
  QTemporaryDir dir_;
};

}  // namespace vexa::testing
