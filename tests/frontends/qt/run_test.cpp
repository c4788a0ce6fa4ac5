#include <QtTest>

#include "frontends/model/colors.h"
#include "frontends/model/run_poll.h"
#include "tests/frontends/qt/dialog_test_bench.h"
#include "tests/frontends/qt/dialog_test_main.h"

namespace vexa::testing {

namespace {

QString Lines(const std::string& text) {
  return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::unique_ptr<dialog::VexaTravikToolDlg> OpenHostAndPort1(DialogBench& bench,
                                                            sim::ChipFaults hostFaults = {}) {
  bench.PrepareHostAndPort1(hostFaults);
  return bench.OpenDialog();
}

void ExpectControlsEnabled(const dialog::VexaTravikToolDlg& dialog, bool enabled) {
  QCOMPARE(dialog.startButton()->isEnabled(), enabled);
  QCOMPARE(dialog.getFwVersionButton()->isEnabled(), enabled);
  QCOMPARE(dialog.refreshButton()->isEnabled(), enabled);
  QCOMPARE(dialog.filePanel()->firmwareBrowse(0)->isEnabled(), enabled);
  QCOMPARE(dialog.filePanel()->driverBrowse()->isEnabled(), enabled);
  // The path boxes stay editable throughout.
  QVERIFY(dialog.filePanel()->firmwareBox(0)->isEnabled());
}

}  // namespace

// "Start": the worker's run, the dialog's looks at it, its result and the exit guard.
class RunTest : public QObject {
  Q_OBJECT

 private slots:
  void completedRunShowsEveryLineAndEndsGreen() {
    DialogBench bench;
    const auto dialog = OpenHostAndPort1(bench);
    dialog->show();
    QVERIFY(dialog->startButton()->isEnabled());
    const size_t logBefore = bench.LogText().size();

    QTest::mouseClick(dialog->startButton(), Qt::LeftButton);
    QVERIFY(dialog->session().RunInProgress());
    ExpectControlsEnabled(*dialog, false);
    QCOMPARE(dialog->outputBox()->backgroundColor(), ui::kWhite);
    QCOMPARE(dialog->progressBar()->maximum(), ui::kProgressRange);

    bench.FinishRun(*dialog);
    QVERIFY(!dialog->session().RunInProgress());
    ExpectControlsEnabled(*dialog, true);
    QCOMPARE(dialog->outputBox()->backgroundColor(), ui::kGreen);
    QCOMPARE(dialog->progressBar()->value(), ui::kProgressRange);
    // With downstream ports the firmware boxes show each target's end; Port#2 took no part.
    QCOMPARE(dialog->filePanel()->firmwareBox(0)->backgroundColor(), ui::kGreen);
    QCOMPARE(dialog->filePanel()->firmwareBox(1)->backgroundColor(), ui::kGreen);
    QCOMPARE(dialog->filePanel()->firmwareBox(2)->backgroundColor(), ui::kGrey);

    // The output box holds the run's lines in the order the log file got them, result last.
    const std::string run = bench.LogText().substr(logBefore);
    const std::string separator = "-------------------------------------\r\n";
    QVERIFY(run.starts_with(separator));
    const std::string lines = run.substr(run.find(separator, separator.size()) + separator.size());
    QVERIFY(lines.find("Start VEXA ISP...\r\n") < lines.find("ISP on [Port#1]:\r\n"));
    QVERIFY(lines.ends_with("Reset host device\r\nISP completed!\r\n"));
    QCOMPARE(dialog->outputBox()->text(), Lines(lines));
  }

  void failedRunShowsItsFirstErrorAndEndsPink() {
    DialogBench bench;
    sim::ChipFaults faults;
    faults.eraseNever = true;
    const auto dialog = OpenHostAndPort1(bench, faults);
    QTest::mouseClick(dialog->startButton(), Qt::LeftButton);
    bench.FinishRun(*dialog);

    const QString output = dialog->outputBox()->text();
    QVERIFY2(output.contains(QStringLiteral("\nISP failed!\nError (")), qPrintable(output));
    QVERIFY(!output.endsWith(QLatin1Char('\n')));  // the error line has no line end
    QCOMPARE(dialog->outputBox()->backgroundColor(), ui::kPink);
    QCOMPARE(dialog->filePanel()->firmwareBox(0)->backgroundColor(), ui::kPink);
    ExpectControlsEnabled(*dialog, true);
    QVERIFY(bench.LogText().find("ISP failed!\r\nError (") != std::string::npos);
  }

  void transportFailureShowsTheTransportsError() {
    DialogBench bench;
    sim::ChipFaults faults;
    // Past detection and the run's chip check, during the driver download.
    faults.transportFailAfter = 200;
    const auto dialog = OpenHostAndPort1(bench, faults);
    QCOMPARE(dialog->statusBox()->text(), QStringLiteral("Connected"));
    QTest::mouseClick(dialog->startButton(), Qt::LeftButton);
    bench.FinishRun(*dialog);

    const QString output = dialog->outputBox()->text();
    QVERIFY2(output.contains(QStringLiteral("\nISP failed!\nGfx Error (-2): ")),
             qPrintable(output));
    QCOMPARE(dialog->outputBox()->backgroundColor(), ui::kPink);
  }

  void exitGuardRefusesDuringARunOnly() {
    DialogBench bench;
    const auto dialog = OpenHostAndPort1(bench);
    QStringList warnings;
    dialog->SetWarningBox([&](const QString& text) { warnings << text; });
    dialog->show();

    QTest::mouseClick(dialog->startButton(), Qt::LeftButton);
    // Escape, the caption's close button and a direct reject are all refused.
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QVERIFY(!dialog->close());
    dialog->reject();
    QVERIFY(dialog->isVisible());
    QCOMPARE(warnings.size(), 3);
    QCOMPARE(warnings.front(),
             QStringLiteral("Not allowed to exit!\nISP is still running!\nPlease wait!"));

    bench.FinishRun(*dialog);
    QVERIFY(dialog->close());
    QVERIFY(!dialog->isVisible());
    QCOMPARE(warnings.size(), 3);
  }

  void pathChangesDuringARunCannotStartAnother() {
    DialogBench bench;
    const auto dialog = OpenHostAndPort1(bench);
    dialog::CRoEdit* hostBox = dialog->filePanel()->firmwareBox(0);
    const QString path = hostBox->text();
    QTest::mouseClick(dialog->startButton(), Qt::LeftButton);

    hostBox->SetText(path + QStringLiteral(".x"));
    hostBox->SetText(path);  // the check passes again, but a run is under way
    QVERIFY(!dialog->startButton()->isEnabled());
    dialog->StartRun();  // and pressing it anyway starts nothing
    bench.FinishRun(*dialog);
    QVERIFY(dialog->startButton()->isEnabled());
    QCOMPARE(dialog->outputBox()->text().count(QStringLiteral("ISP completed!")), 1);
  }
};

VEXA_DIALOG_TEST(RunTest);

}  // namespace vexa::testing

#include "run_test.moc"
