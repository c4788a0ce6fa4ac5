#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

#include "frontends/model/colors.h"

namespace vexa::dialog {

// Every text box of the tool: an edit box that can be switched to a read-only mode in which
// the user can still place the caret, select, copy and scroll, and that shows the text and
// background colours the program gives it (they carry meaning: red for a missing file, grey
// for a box the user cannot edit, yellow, green and pink for a run's progress).
//
// Like a dialog's edit boxes it wants every key: Enter, Escape and Tab typed in it stay in it
// rather than pressing the dialog's default button, closing the dialog or moving on.
class CRoEdit : public QWidget {
  Q_OBJECT

 public:
  enum class Lines { kSingle, kMulti };

  explicit CRoEdit(Lines lines, QWidget* parent = nullptr);

  // 0 editable, 1 read-only.
  virtual void SetReadOnlyMode(int mode);
  int mode() const { return mode_; }

  void SetTextColor(ui::Rgb color);
  void SetBackgroundColor(ui::Rgb color);
  ui::Rgb textColor() const { return textColor_; }
  ui::Rgb backgroundColor() const { return backgroundColor_; }

  QString text() const;
  void SetText(const QString& text);
  // Multi-line: puts the caret at the end of the text, inserts text there and scrolls it into
  // view, wherever the user left the caret.
  void AppendText(const QString& text);
  // One-line: selects from the second character to the end, so the end of a long text (the
  // file name of a path) is what shows.
  void ShowEnd();
  // One-line: caret to the start, so a text that fits shows from its beginning.
  void ShowStart();

  // The edit control itself, which holds the focus and takes the keys.
  QWidget* editor() const;

 signals:
  // One-line: every change of the text, typed or set.
  void textChanged(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplyColors();

  QLineEdit* line_ = nullptr;
  QPlainTextEdit* multi_ = nullptr;
  int mode_ = 0;
  ui::Rgb textColor_ = ui::kBlack;
  ui::Rgb backgroundColor_ = ui::kWhite;
};

}  // namespace vexa::dialog
