#include <QLabel>
#include <QtTest>
#include <fstream>

#include "chip/version_text.h"
#include "frontends/model/colors.h"
#include "frontends/qt/about_dlg.h"
#include "frontends/qt/dialog_font.h"
#include "tests/frontends/qt/dialog_test_bench.h"
#include "tests/frontends/qt/dialog_test_main.h"
#include "tests/frontends/qt/gated_transport.h"

namespace vexa::testing {

using sim::ChipModel;

// Start-up in each mode, adapter detection and its display, and "Get FW Version", which
// leave the window free while the transport works.
class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void normalModeDetectsAndShowsTheFilePanel() {
    DialogBench bench;
    bench.BuildBoard({BenchChip{ChipModel::kOcelin4100}, {}, {}});
    bench.WriteDriver("host-driver.bin", ChipModel::kOcelin4100);
    bench.WriteBin("host-new.bin", ChipModel::kOcelin4100, {0x02, 0x01, 0x05});
    bench.WriteConfig(
        "DriverFilePath = host-driver.bin\r\nFWFilePath = host-new.bin\r\n"
        "OneStepProgramming = 0\r\n");
    std::ofstream(bench.Path("VexaISP.log")) << "left by an earlier program run\r\n";

    const auto dialog = bench.OpenDialog();
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Korvane Travik Tool v5.1"));
    QCOMPARE(dialog->statusBox()->text(), QStringLiteral("Connected"));
    QVERIFY(dialog->adapterBox()->text().startsWith(QStringLiteral("Simulator: 0x01")));
    QCOMPARE(dialog->adapterBox()->textColor(), ui::kBlack);
    QCOMPARE(dialog->statusBox()->backgroundColor(), ui::kGrey);
    QCOMPARE(dialog->statusBox()->mode(), 1);
    QVERIFY(dialog->filePanel() != nullptr);
    QVERIFY(dialog->devicePanel() == nullptr && dialog->versionPanel() == nullptr);
    QCOMPARE(dialog->startButton()->text(), QStringLiteral("Start"));
    QVERIFY(dialog->startButton()->isEnabled());
    QVERIFY(dialog->getFwVersionButton()->isEnabled());
    QVERIFY(!dialog->refreshButton()->isHidden());
    QCOMPARE(dialog->outputBox()->text(), QString());
    QCOMPARE(dialog->outputBox()->mode(), 1);
    // The lower controls are stacked below the panel.
    QCOMPARE(dialog->progressBar()->y(),
             dialog->filePanel()->y() + dialog->filePanel()->height() + 5);

    // The earlier log is gone; the new one starts with the header and the detection.
    const std::string log = bench.LogText();
    QVERIFY(
        log.starts_with("Korvane Travik Tool v5.1\r\n====================================\r\n"));
    QVERIFY(log.find("earlier program run") == std::string::npos);
    QVERIFY(log.find("Graphics adapter initialization:\r\n") != std::string::npos);
    QVERIFY(log.ends_with(".....................................\r\n"));
  }

  void missingConfigurationIsReportedAndStartsInOneStepMode() {
    DialogBench bench;  // no configuration file
    bench.BuildBoard({BenchChip{ChipModel::kOcelin4100}, {}, {}});
    const auto dialog = bench.OpenDialog();
    QCOMPARE(
        dialog->outputBox()->text(),
        QStringLiteral("Please ensure that \"config.ini\" is present and is not corrupted.\n"));
    // The program-start settings: one-step mode with no firmware path, so nothing to update.
    QVERIFY(dialog->versionPanel() != nullptr);
    QCOMPARE(dialog->versionPanel()->currentValue()->text(),
             QStringLiteral("Failed to connect device!"));
    QVERIFY(dialog->versionPanel()->newValue()->isHidden());
    QVERIFY(!dialog->startButton()->isEnabled());
    QVERIFY(bench.LogText().ends_with("New F/W version: Failed to connect device!\r\n\r\n"));
  }

  void oneStepHostOnlyShowsTheVersionPanel() {
    DialogBench bench;
    bench.BuildBoard({BenchChip{ChipModel::kArivane, {0x20, 0x45, 0x01}}, {}, {}});
    bench.WriteDriver("driver.bin", ChipModel::kArivane);
    bench.WriteBin("new.bin", ChipModel::kArivane, {0x67, 0x45, 0x89});
    bench.WriteConfig("DriverFilePath = driver.bin\r\nFWFilePath = new.bin\r\n");

    const auto dialog = bench.OpenDialog();
    QVERIFY(dialog->versionPanel() != nullptr);
    QCOMPARE(dialog->startButton()->text(), QStringLiteral("Update"));
    QVERIFY(dialog->startButton()->isEnabled());
    QVERIFY(dialog->refreshButton()->isHidden());
    QVERIFY(dialog->getFwVersionButton()->isHidden());
    const std::string current = OnBoardInfoText(bench.ctx.chipInfo[0]);
    QVERIFY(current.starts_with("Arivane"));
    QCOMPARE(dialog->versionPanel()->currentValue()->text(), QString::fromStdString(current));
    QCOMPARE(dialog->versionPanel()->newValue()->text(),
             QString::fromStdString(FileVersionText(bench.ctx.fwFileInfo[0])));
    QVERIFY(bench.LogText().find("Current on-board info: " + current + "\r\n") !=
            std::string::npos);
  }

  void oneStepHostThatDoesNotAnswerCannotBeUpdated() {
    DialogBench bench;
    sim::ChipFaults silent;
    silent.noAckOpcode = 0x06;  // answers the detection's probe, not the chip-ID reads
    bench.BuildBoard({BenchChip{ChipModel::kArivane, {0x20, 0x45, 0x01}, silent}, {}, {}});
    bench.WriteBin("new.bin", ChipModel::kArivane, {0x67, 0x45, 0x89});
    bench.WriteConfig("FWFilePath = new.bin\r\n");
    const auto dialog = bench.OpenDialog();
    QCOMPARE(dialog->statusBox()->text(), QStringLiteral("Connected"));
    QCOMPARE(dialog->versionPanel()->currentValue()->text(),
             QStringLiteral("Failed to connect device!"));
    QVERIFY(dialog->versionPanel()->newLabel()->isHidden());
    QVERIFY(!dialog->startButton()->isEnabled());
  }

  void oneStepWithPortsShowsTheDevicePanel() {
    DialogBench bench;
    bench.BuildBoard({BenchChip{ChipModel::kOcelin4100}, BenchChip{ChipModel::kArivane}, {}});
    bench.WriteBin("p1.bin", ChipModel::kArivane, {0x67, 0x45, 0x89});
    bench.WriteBin("p2.bin", ChipModel::kSolvenia, {0x03, 0x02, 0x04});
    bench.WriteConfig("FWFileP1 = p1.bin\r\nFWFileP2 = p2.bin\r\n");

    const auto dialog = bench.OpenDialog();
    dialog->show();
    dialog::CSimpleProgDlg* panel = dialog->devicePanel();
    QVERIFY(panel != nullptr);
    QCOMPARE(dialog->statusBox()->text(), QStringLiteral("Connected"));
    // Port#1 matches its file, so "Update" stays although Port#2 has no chip.
    QVERIFY(dialog->startButton()->isEnabled());
    QVERIFY(!panel->onBoardBox(0)->isVisible());
    QCOMPARE(panel->onBoardBox(1)->text(),
             QString::fromStdString(OnBoardInfoText(bench.ctx.chipInfo[1])));
    QCOMPARE(panel->newVersionBox(1)->text(),
             QString::fromStdString(FileVersionText(bench.ctx.fwFileInfo[1])));
    QCOMPARE(panel->onBoardBox(2)->text(), QStringLiteral("Failed to connect device!"));
    QCOMPARE(panel->onBoardBox(2)->textColor(), ui::kRed);
    QVERIFY(!panel->arrow(2)->isVisible());
    QVERIFY(!panel->newVersionBox(2)->isVisible());
    // The Port#1 row took the host row's place, the Port#2 row Port#1's.
    QCOMPARE(panel->onBoardBox(1)->y(), panel->onBoardBox(0)->y());
    QVERIFY(panel->onBoardBox(2)->y() > panel->onBoardBox(1)->y());
  }

  void refreshShowsTheDetection_data() {
    QTest::addColumn<bool>("simulate");
    QTest::addColumn<bool>("chip");
    QTest::addColumn<QString>("adapter");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("adapterRed");
    QTest::addColumn<bool>("statusRed");
    QTest::newRow("connected") << true << true << QString() << "Connected" << false << false;
    // The simulator is a fixed choice: its adapter line stays, in black.
    QTest::newRow("port not found")
        << true << false << QString() << "Port not found" << false << true;
    QTest::newRow("automatic, nothing found") << false << false << "No available graphics port!"
                                              << "Not connected!" << true << true;
  }

  void refreshShowsTheDetection() {
    QFETCH(bool, simulate);
    QFETCH(bool, chip);
    QFETCH(QString, adapter);
    QFETCH(QString, status);
    QFETCH(bool, adapterRed);
    QFETCH(bool, statusRed);
    DialogBench bench;
    bench.simulate = simulate;
    bench.BuildBoard({chip ? std::optional(BenchChip{}) : std::nullopt, {}, {}});
    bench.WriteConfig("OneStepProgramming = 0\r\n");
    const auto dialog = bench.OpenDialog();

    QTest::mouseClick(dialog->refreshButton(), Qt::LeftButton);
    dialog->CompleteJobs();
    if (!adapter.isEmpty()) QCOMPARE(dialog->adapterBox()->text(), adapter);
    QCOMPARE(dialog->statusBox()->text(), status);
    QCOMPARE(dialog->adapterBox()->textColor(), adapterRed ? ui::kRed : ui::kBlack);
    QCOMPARE(dialog->statusBox()->textColor(), statusRed ? ui::kRed : ui::kBlack);
    QCOMPARE(dialog->getFwVersionButton()->isEnabled(), chip);
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void getFwVersionReportsEveryTarget() {
    DialogBench bench;
    bench.BuildBoard({BenchChip{ChipModel::kOcelin4100}, BenchChip{ChipModel::kArivane}, {}});
    bench.WriteBin("host.bin", ChipModel::kOcelin4100, {0x02, 0x01, 0x05});
    bench.WriteBin("p1.bin", ChipModel::kSolvenia, {0x03, 0x02, 0x04});
    bench.WriteConfig("FWFilePath = host.bin\r\nFWFileP1 = p1.bin\r\nOneStepProgramming = 0\r\n");
    const auto dialog = bench.OpenDialog();

    QTest::mouseClick(dialog->getFwVersionButton(), Qt::LeftButton);
    dialog->CompleteJobs();
    const std::string expected =
        "Current on-board info:\r\n   <Host  > " + OnBoardInfoText(bench.ctx.chipInfo[0]) +
        "\r\n            New F/W Version: " + FileVersionText(bench.ctx.fwFileInfo[0]) +
        "\r\n   <Port#1> " + OnBoardInfoText(bench.ctx.chipInfo[1]) +
        "\r\n            F/W BIN file not matched! (Solvenia)\r\n";
    QCOMPARE(dialog->outputBox()->text(), QString::fromStdString(expected).replace(
                                              QStringLiteral("\r\n"), QStringLiteral("\n")));
    QCOMPARE(dialog->outputBox()->backgroundColor(), ui::kWhite);
    QVERIFY(bench.LogText().ends_with(expected));
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  // A transport that hangs holds the worker, never the window: the click returns, the window
  // paints with the controls locked under a busy cursor, and the result arrives by polling.
  void queriesLeaveTheWindowFree_data() {
    QTest::addColumn<bool>("refresh");
    QTest::newRow("Refresh") << true;
    QTest::newRow("Get FW Version") << false;
  }

  void queriesLeaveTheWindowFree() {
    QFETCH(bool, refresh);
    DialogBench bench;
    bench.BuildBoard({BenchChip{}, {}, {}});
    bench.WriteConfig("OneStepProgramming = 0\r\n");
    GatedTransport gated(*bench.gfx);
    bench.transport = &gated;
    const auto dialog = bench.OpenDialog();
    const QString before = dialog->outputBox()->text();

    gated.Shut();
    // Declared after the dialog, so the gate opens before the dialog joins its worker.
    const auto reopen = qScopeGuard([&gated] { gated.Open(); });
    QTest::mouseClick(refresh ? dialog->refreshButton() : dialog->getFwVersionButton(),
                      Qt::LeftButton);
    gated.WaitUntilHeld();
    dialog->repaint();
    dialog->PollRun();
    QVERIFY(dialog->session().JobInProgress());
    QVERIFY(!dialog->startButton()->isEnabled());
    QVERIFY(!dialog->getFwVersionButton()->isEnabled());
    QVERIFY(!dialog->refreshButton()->isEnabled());
    QVERIFY(!dialog->filePanel()->driverBrowse()->isEnabled());
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QCOMPARE(dialog->outputBox()->text(), before);

    gated.Open();
    QSignalSpy ended(dialog.get(), &dialog::VexaTravikToolDlg::JobEnded);
    QVERIFY(ended.wait());
    QVERIFY(!dialog->session().JobInProgress());
    QVERIFY(dialog->getFwVersionButton()->isEnabled());
    QVERIFY(dialog->refreshButton()->isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    if (refresh) {
      QCOMPARE(dialog->statusBox()->textColor(), ui::kBlack);
    } else {
      QVERIFY(dialog->outputBox()->text().startsWith(QStringLiteral("Current on-board info:")));
    }
  }

  void aboutBoxShowsNameAndVersion() {
    dialog::CAboutDlg about(dialog::BaseUnitsOf(dialog::DialogFont()), nullptr);
    QCOMPARE(about.versionText()->text(), QStringLiteral("Korvane Travik Tool\nVersion 5.1"));
    QCOMPARE(about.windowTitle(), QStringLiteral("About Travik Tool"));
    // Every line of every label fits the label's width: nothing is cut off.
    for (const QLabel* label : about.findChildren<QLabel*>()) {
      for (const QString& line : label->text().split('\n')) {
        QVERIFY2(label->fontMetrics().horizontalAdvance(line) <= label->width(), qPrintable(line));
      }
    }
  }
};

VEXA_DIALOG_TEST(StartupTest);

}  // namespace vexa::testing

#include "startup_test.moc"
