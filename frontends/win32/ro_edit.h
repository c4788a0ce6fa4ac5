#pragma once

#include <windows.h>

#include <string>

#include "frontends/model/colors.h"
#include "frontends/win32/control_colors.h"

namespace vexa::win32 {

// Every text box of the tool: an edit control of a template that can be switched to a
// read-only mode in which the user can still place the caret, select, copy and scroll, and
// that shows the text and background colours the program gives it (they carry meaning: red
// for a missing file, grey for a box the user cannot edit, yellow, green and pink for a run's
// progress).
//
// Like a dialog's edit boxes it wants every key: Enter, Escape and Tab typed in it stay in it
// rather than pressing the dialog's default button, closing the dialog or moving on.
class CRoEdit {
 public:
  CRoEdit(HWND edit, ControlColors& colors);

  // 0 editable, 1 read-only.
  void SetReadOnlyMode(int mode);
  void SetTextColor(ui::Rgb color) { colors_.SetText(edit_, color); }
  void SetBackgroundColor(ui::Rgb color) { colors_.SetBackground(edit_, color); }

  std::string text() const;
  void SetText(const std::wstring& text);
  // Multi-line: puts the caret at the end of the text, inserts text there and scrolls it into
  // view, wherever the user left the caret.
  void AppendText(const std::wstring& text);
  // One-line: selects from the second character to the end, so the end of a long text (the
  // file name of a path) is what shows.
  void ShowEnd();
  // One-line: caret to the start, so a text that fits shows from its beginning.
  void ShowStart();
  void Focus() { SetFocus(edit_); }
  HWND hwnd() const { return edit_; }

 private:
  HWND edit_;
  ControlColors& colors_;
};

}  // namespace vexa::win32
