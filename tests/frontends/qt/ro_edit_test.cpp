#include "frontends/qt/ro_edit.h"

#include <QDialog>
#include <QPushButton>
#include <QtTest>

#include "tests/frontends/qt/dialog_test_main.h"

namespace vexa::testing {

using dialog::CRoEdit;

// The read-only edit box: which keys reach it in each mode, and its colours.
class RoEditTest : public QObject {
  Q_OBJECT

 private slots:
  void readOnlyModeKeepsTheTextButMovesAndSelects() {
    CRoEdit box(CRoEdit::Lines::kSingle);
    box.SetText(QStringLiteral("abcdef"));
    box.SetReadOnlyMode(1);
    auto* line = qobject_cast<QLineEdit*>(box.editor());
    line->setCursorPosition(3);

    QTest::keyClicks(line, QStringLiteral("xyz"));
    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return}) {
      QTest::keyClick(line, key);
    }
    QTest::keyClick(line, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box.text(), QStringLiteral("abcdef"));

    QTest::keyClick(line, Qt::Key_Left);
    QCOMPARE(line->cursorPosition(), 2);
    QTest::keyClick(line, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(line->selectedText(), QStringLiteral("b"));
  }

  void editableModeTakesEveryKey() {
    CRoEdit box(CRoEdit::Lines::kSingle);
    box.SetText(QStringLiteral("abc"));
    auto* line = qobject_cast<QLineEdit*>(box.editor());
    QSignalSpy changes(&box, &CRoEdit::textChanged);
    QTest::keyClicks(line, QStringLiteral("de"));
    QTest::keyClick(line, Qt::Key_Backspace);
    QTest::keyClick(line, Qt::Key_Home);
    QTest::keyClick(line, Qt::Key_Delete);
    QCOMPARE(box.text(), QStringLiteral("bcd"));
    QCOMPARE(changes.size(), 4);
  }

  void enterAndEscapeStayInTheBox() {
    QDialog dialog;
    auto* box = new CRoEdit(CRoEdit::Lines::kSingle, &dialog);
    auto* button = new QPushButton(QStringLiteral("Start"), &dialog);
    button->setDefault(true);
    QSignalSpy clicked(button, &QPushButton::clicked);
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    dialog.show();
    box->setFocus();
    QTest::keyClick(box->editor(), Qt::Key_Return);
    QTest::keyClick(box->editor(), Qt::Key_Escape);
    QTest::keyClick(box->editor(), Qt::Key_Tab);
    QCOMPARE(clicked.size(), 0);
    QCOMPARE(rejected.size(), 0);
    QCOMPARE(dialog.focusWidget(), box->editor());
  }

  void colorsFillTheWholeBox() {
    CRoEdit box(CRoEdit::Lines::kSingle);
    box.resize(120, 24);
    box.SetText(QStringLiteral("x"));
    // Never changed: black on white.
    QCOMPARE(box.grab().toImage().pixelColor(100, 12), QColor(Qt::white));

    box.SetBackgroundColor(ui::kPink);
    box.SetTextColor(ui::kRed);
    const QImage image = box.grab().toImage();
    QCOMPARE(image.pixelColor(100, 12), QColor(240, 160, 180));
    QCOMPARE(box.editor()->palette().color(QPalette::Text), QColor(255, 0, 0));
  }

  void outputBoxAppendsAtTheEnd() {
    CRoEdit box(CRoEdit::Lines::kMulti);
    box.SetReadOnlyMode(1);
    box.AppendText(QStringLiteral("one\n"));
    auto* text = qobject_cast<QPlainTextEdit*>(box.editor());
    text->moveCursor(QTextCursor::Start);  // the user clicked at the top
    box.AppendText(QStringLiteral("two"));
    QCOMPARE(box.text(), QStringLiteral("one\ntwo"));
    QTest::keyClicks(text, QStringLiteral("typed"));
    QCOMPARE(box.text(), QStringLiteral("one\ntwo"));
  }
};

VEXA_DIALOG_TEST(RoEditTest);

}  // namespace vexa::testing

#include "ro_edit_test.moc"
