#include <QtTest>

#include "engine/identification/chip_probe.h"
#include "testing/board_linux_system.h"
#include "testing/comparable_log.h"
#include "testing/fake_drm_tree.h"
#include "tests/frontends/qt/dialog_test_bench.h"
#include "tests/frontends/qt/dialog_test_main.h"
#include "transport/backends/linux/gfx_lib_linux.h"

namespace vexa::testing {

namespace {

struct DialogUse {
  QString adapter;
  QString status;
  std::string log;
};

// Start-up, "Get FW Version" and "Start" to the run's end.
DialogUse UseDialog(DialogBench& bench) {
  const auto dialog = bench.OpenDialog();
  DialogUse use{dialog->adapterBox()->text(), dialog->statusBox()->text(), {}};
  QTest::mouseClick(dialog->getFwVersionButton(), Qt::LeftButton);
  dialog->CompleteJobs();
  QTest::mouseClick(dialog->startButton(), Qt::LeftButton);
  bench.FinishRun(*dialog);
  use.log = bench.LogText();
  return use;
}

}  // namespace

// The dialog over the Linux backend on a fake kernel tree, whose I2C and AUX nodes the
// simulated board serves, against the same dialog over the simulator.
class LinuxDrmDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void detectsQueriesAndUpdatesAsOverTheSimulator() {
    DialogBench simulated;
    simulated.PrepareHostAndPort1();
    const std::string simulatedLog = UseDialog(simulated).log;

    DialogBench bench;
    bench.PrepareHostAndPort1();
    FakeDrmTree tree(bench.Path("kernel"));
    tree.AddCard("card0", "amdgpu");
    tree.AddConnector({.name = "DP-1", .auxIndex = 0});
    tree.AddConnector({.name = "DP-2", .auxIndex = 1, .i2cBus = 7});
    BoardLinuxSystem system(*bench.board);
    system.dpcdOnBoard = true;
    GfxLibLinux gfx(system, tree.roots(), bench.clock, IspChipProbe());
    bench.simulate = false;
    bench.systemBackends = {{AdapterType::kLinux, &gfx}};
    const DialogUse overLinux = UseDialog(bench);

    QCOMPARE(overLinux.adapter, QStringLiteral("Linux DRM: 0x02 [DP-2] "));
    QCOMPARE(overLinux.status, QStringLiteral("Connected"));
    const std::string& log = overLinux.log;
    QVERIFY(log.find("ISP completed!") != std::string::npos);
    QVERIFY(log.find("  Linux DRM [card0 (amdgpu)]: Init done") != std::string::npos);
    QCOMPARE(ComparableLogLines(log), ComparableLogLines(simulatedLog));
  }
};

VEXA_DIALOG_TEST(LinuxDrmDialogTest);

}  // namespace vexa::testing

#include "linux_drm_dialog_test.moc"
