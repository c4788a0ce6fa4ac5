#include "frontends/qt/ro_edit.h"

#include <QKeyEvent>
#include <QVBoxLayout>

#include "frontends/qt/qt_text.h"

namespace vexa::dialog {

namespace {

// The keys a dialog would otherwise act on.
bool IsDialogKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
         key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

}  // namespace

CRoEdit::CRoEdit(Lines lines, QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  QWidget* editor = nullptr;
  if (lines == Lines::kSingle) {
    line_ = new QLineEdit(this);
    connect(line_, &QLineEdit::textChanged, this, &CRoEdit::textChanged);
    editor = line_;
  } else {
    multi_ = new QPlainTextEdit(this);
    multi_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    multi_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    editor = multi_;
  }
  layout->addWidget(editor);
  editor->installEventFilter(this);
  setFocusProxy(editor);
  ApplyColors();
}

void CRoEdit::SetReadOnlyMode(int mode) {
  mode_ = mode;
  const bool readOnly = mode == 1;
  if (line_ != nullptr) {
    line_->setReadOnly(readOnly);
  } else {
    multi_->setReadOnly(readOnly);
    // Read-only still keeps the caret and keyboard selection.
    if (readOnly) {
      multi_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
  }
}

void CRoEdit::SetTextColor(ui::Rgb color) {
  textColor_ = color;
  ApplyColors();
}

void CRoEdit::SetBackgroundColor(ui::Rgb color) {
  backgroundColor_ = color;
  ApplyColors();
}

void CRoEdit::ApplyColors() {
  QWidget* box = editor();
  QPalette palette = box->palette();
  palette.setColor(QPalette::Base, ToQColor(backgroundColor_));
  palette.setColor(QPalette::Text, ToQColor(textColor_));
  box->setPalette(palette);
  // Repainted at once, the area behind the text included.
  box->update();
  if (multi_ != nullptr) multi_->viewport()->update();
}

QString CRoEdit::text() const {
  return line_ != nullptr ? line_->text() : multi_->toPlainText();
}

void CRoEdit::SetText(const QString& text) {
  if (line_ != nullptr) {
    line_->setText(text);
  } else {
    multi_->setPlainText(text);
  }
}

void CRoEdit::AppendText(const QString& text) {
  if (multi_ == nullptr) return;
  multi_->moveCursor(QTextCursor::End);
  multi_->insertPlainText(text);
  multi_->ensureCursorVisible();
}

void CRoEdit::ShowEnd() {
  if (line_ == nullptr) return;
  // The selection ends at the caret, so the view scrolls to the end.
  line_->setSelection(1, static_cast<int>(line_->text().size()) - 1);
}

void CRoEdit::ShowStart() {
  if (line_ != nullptr) line_->setCursorPosition(0);
}

QWidget* CRoEdit::editor() const {
  return line_ != nullptr ? static_cast<QWidget*>(line_) : static_cast<QWidget*>(multi_);
}

bool CRoEdit::eventFilter(QObject* watched, QEvent* event) {
  const bool keyEvent =
      event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
  if (watched != editor() || !keyEvent) return QWidget::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (!IsDialogKey(key->key())) return QWidget::eventFilter(watched, event);
  // The box takes the key and does nothing with it: a one-line box has no use for it, and the
  // output box is read-only.
  key->accept();
  return event->type() == QEvent::KeyPress;
}

}  // namespace vexa::dialog
