#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QtTest>

#include "frontends/model/colors.h"
#include "frontends/model/control_layout.h"
#include "frontends/model/dialog_templates.h"
#include "frontends/qt/dialog_font.h"
#include "frontends/qt/screenshot.h"
#include "tests/frontends/qt/dialog_test_bench.h"
#include "tests/frontends/qt/dialog_test_main.h"

namespace vexa::testing {

using sim::ChipModel;

// The file panel: its rows for the configured targets, the file check and "Start", Browse.
class FilePanelTest : public QObject {
  Q_OBJECT

 private:
  // A connected host with a driver and a BIN file, editable paths, and the given extra lines.
  static std::unique_ptr<dialog::VexaTravikToolDlg> Open(DialogBench& bench,
                                                         const std::string& extra = "") {
    bench.BuildBoard({BenchChip{ChipModel::kOcelin4100}, {}, {}});
    bench.WriteDriver("driver.bin", ChipModel::kOcelin4100);
    bench.WriteBin("host.bin", ChipModel::kOcelin4100, {0x02, 0x01, 0x05});
    bench.WriteConfig(
        "DriverFilePath = driver.bin\r\nFWFilePath = host.bin\r\n"
        "OneStepProgramming = 0\r\nDrvFileReadOnly = 0\r\nFwFileReadOnly = 0\r\n" +
        extra);
    return bench.OpenDialog();
  }

 private slots:
  // A path longer than its box shows its end through a selection; the screenshot paints it
  // as the live window does, without a band, and the selection stays.
  void screenshotOfALongPathHasNoSelectionBand() {
    DialogBench bench;
    const std::string folder = std::string(120, 'f') + "/";
    QVERIFY(QDir().mkpath(QString::fromStdString(bench.Path(folder))));
    bench.BuildBoard({BenchChip{ChipModel::kOcelin4100}, {}, {}});
    bench.WriteDriver(folder + "driver.bin", ChipModel::kOcelin4100);
    bench.WriteBin(folder + "host.bin", ChipModel::kOcelin4100, {0x02, 0x01, 0x05});
    bench.WriteConfig("DriverFilePath = " + folder + "driver.bin\r\nFWFilePath = " + folder +
                      "host.bin\r\nOneStepProgramming = 0\r\n");
    const auto dialog = bench.OpenDialog();
    dialog->show();
    QApplication::processEvents();
    auto* edit = qobject_cast<QLineEdit*>(dialog->filePanel()->driverBox()->editor());
    QVERIFY(edit->hasSelectedText());
    const QImage withBand = dialog->grab().toImage();
    const QImage picture = dialog::GrabAsShown(*dialog).toImage();
    QVERIFY(picture != withBand);
    // The band's colour is nowhere in the picture of the box.
    const QColor band = edit->palette().color(QPalette::Active, QPalette::Highlight);
    const QRect box(edit->mapTo(dialog.get(), QPoint(0, 0)), edit->size());
    const QImage boxPicture = picture.copy(box);
    bool bandFound = false;
    for (int y = 0; y < boxPicture.height(); ++y) {
      for (int x = 0; x < boxPicture.width(); ++x) {
        bandFound = bandFound || boxPicture.pixelColor(x, y) == band;
      }
    }
    QVERIFY(!bandFound);
    QVERIFY(edit->hasSelectedText());
  }

  void colorsAndStartFollowTheFiles() {
    DialogBench bench;
    const auto dialog = Open(bench);
    dialog::CDevProgDlg* panel = dialog->filePanel();
    QCOMPARE(panel->driverBox()->textColor(), ui::kBlack);
    QCOMPARE(panel->firmwareBox(0)->textColor(), ui::kBlack);
    QVERIFY(dialog->startButton()->isEnabled());

    const QString driver = panel->driverBox()->text();
    QTest::keyClick(panel->driverBox()->editor(), Qt::Key_End);
    QTest::keyClicks(panel->driverBox()->editor(), QStringLiteral("x"));
    QCOMPARE(dialog->session().config().driverFilePath[0], driver.toStdString() + "x");
    QCOMPARE(panel->driverBox()->textColor(), ui::kRed);
    QVERIFY(!dialog->startButton()->isEnabled());

    // A detection that connects enables "Start" whatever the last check said...
    QTest::mouseClick(dialog->refreshButton(), Qt::LeftButton);
    dialog->CompleteJobs();
    QVERIFY(dialog->startButton()->isEnabled());
    // ...until the next change of a path.
    QTest::keyClick(panel->driverBox()->editor(), Qt::Key_Backspace);
    QCOMPARE(panel->driverBox()->textColor(), ui::kBlack);
    QVERIFY(dialog->startButton()->isEnabled());
    panel->firmwareBox(0)->SetText(QStringLiteral("missing.bin"));
    QCOMPARE(panel->firmwareBox(0)->textColor(), ui::kRed);
    QVERIFY(!dialog->startButton()->isEnabled());
  }

  void missingDriverWithPortsConfiguredStillAllowsStart() {
    DialogBench bench;
    bench.WriteBin("p1.bin", ChipModel::kArivane, {0x67, 0x45, 0x89});
    const auto dialog = Open(bench, "FWFileP1 = p1.bin\r\n");
    dialog->filePanel()->driverBox()->SetText(QStringLiteral("missing.bin"));
    QCOMPARE(dialog->filePanel()->driverBox()->textColor(), ui::kRed);
    QVERIFY(dialog->startButton()->isEnabled());
  }

  void browsePutsTheChosenFileInTheBox() {
    DialogBench bench;
    const auto dialog = Open(bench);
    dialog::CDevProgDlg* panel = dialog->filePanel();
    QStringList offered;
    std::optional<QString> answer;
    panel->SetFileChooser([&](QWidget*, const QString& current) {
      offered << current;
      return answer;
    });
    const QString before = panel->firmwareBox(0)->text();
    QTest::mouseClick(panel->firmwareBrowse(0), Qt::LeftButton);  // cancelled
    QCOMPARE(offered, QStringList{before});
    QCOMPARE(panel->firmwareBox(0)->text(), before);

    // A path longer than 60 characters shows its end: everything from the second character
    // is selected, with the caret at the end.
    const std::string longPath = bench.Path(std::string(70, 'n') + ".bin");
    bench.WriteBin(std::string(70, 'n') + ".bin", ChipModel::kOcelin4100, {0x02, 0x01, 0x05});
    answer = QString::fromStdString(longPath);
    QTest::mouseClick(panel->firmwareBrowse(0), Qt::LeftButton);
    QCOMPARE(dialog->session().config().fwFilePath[0], longPath);
    auto* line = qobject_cast<QLineEdit*>(panel->firmwareBox(0)->editor());
    QCOMPARE(line->selectionStart(), 1);
    QCOMPARE(line->selectedText().size(), qsizetype(longPath.size() - 1));
    QCOMPARE(panel->firmwareBox(0)->textColor(), ui::kBlack);
  }

  void readOnlyPathsHaveNoBrowseButtons() {
    DialogBench bench;
    bench.BuildBoard({BenchChip{}, {}, {}});
    bench.WriteConfig("DriverFilePath = driver.bin\r\nOneStepProgramming = 0\r\n");
    const auto dialog = bench.OpenDialog();
    dialog->show();
    dialog::CDevProgDlg* panel = dialog->filePanel();
    QVERIFY(!panel->driverBrowse()->isVisible());
    QVERIFY(!panel->firmwareBrowse(0)->isVisible());
    for (dialog::CRoEdit* box : {panel->driverBox(), panel->firmwareBox(0)}) {
      QCOMPARE(box->mode(), 1);
      QCOMPARE(box->backgroundColor(), ui::kGrey);
      QCOMPARE(box->geometry().right(), panel->firmwareBrowse(0)->geometry().right());
    }
    // No firmware key: the host row stands in with one blank, red, and "Start" stays off.
    QCOMPARE(panel->firmwareBox(0)->text(), QStringLiteral(" "));
    QCOMPARE(panel->firmwareBox(0)->textColor(), ui::kRed);
    QVERIFY(!dialog->startButton()->isEnabled());
  }

  void rowsFollowTheConfiguredTargets_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QList<int>>("rows");
    QTest::newRow("host") << "FWFilePath" << QList<int>{0};
    QTest::newRow("port1") << "FWFileP1" << QList<int>{1};
    QTest::newRow("host, port2") << "FWFilePath FWFileP2" << QList<int>{0, 2};
    QTest::newRow("ports") << "FWFileP1 FWFileP2" << QList<int>{1, 2};
    QTest::newRow("all") << "FWFilePath FWFileP1 FWFileP2" << QList<int>{0, 1, 2};
  }

  void rowsFollowTheConfiguredTargets() {
    QFETCH(QString, keys);
    QFETCH(QList<int>, rows);
    DialogBench bench;
    bench.BuildBoard({BenchChip{}, {}, {}});
    std::string config = "OneStepProgramming = 0\r\n";
    for (const QString& key : keys.split(QLatin1Char(' '))) {
      config += key.toStdString() + " = fw.bin\r\n";
    }
    bench.WriteConfig(config);
    const auto dialog = bench.OpenDialog();
    dialog->show();
    dialog::CDevProgDlg* panel = dialog->filePanel();

    // The configured rows show, in target order, in the first row places of the template.
    const ui::ControlLayout tmpl(ui::FilePanelTemplate(),
                                 dialog::BaseUnitsOf(dialog::DialogFont()));
    for (int target = 0; target < static_cast<int>(kTargetCount); ++target) {
      QCOMPARE(panel->firmwareBox(target)->isVisible(), rows.contains(target));
    }
    for (qsizetype place = 0; place < rows.size(); ++place) {
      QCOMPARE(panel->firmwareBox(rows[place])->y(), tmpl.rect(ui::kFirmwareRows[place].box).y);
    }
    // A shrunk group box ends 10 pixels below the last row's Browse button; the lower
    // controls follow the panel.
    const QRect group = panel->findChild<QGroupBox*>()->geometry();
    if (rows.size() < 3) {
      QCOMPARE(group.y() + group.height(), panel->firmwareBrowse(rows.back())->y() +
                                               panel->firmwareBrowse(rows.back())->height() + 10);
    }
    QVERIFY(group.y() + group.height() < panel->height());
    QCOMPARE(dialog->progressBar()->y(), panel->y() + panel->height() + 5);
  }
};

VEXA_DIALOG_TEST(FilePanelTest);

}  // namespace vexa::testing

#include "file_panel_test.moc"
