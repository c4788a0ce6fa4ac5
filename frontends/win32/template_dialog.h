#pragma once

#include <windows.h>

#include "frontends/model/control_layout.h"
#include "frontends/model/dialog_templates.h"
#include "frontends/win32/control_colors.h"

namespace vexa::win32 {

// A window built from one of the model's dialog templates: the main dialog, a panel inside it
// or the About box. Derived classes handle the messages of their own controls in OnMessage;
// the control colours come from the shared ControlColors.
class TemplateDialog {
 public:
  TemplateDialog(const ui::DialogTemplate& dialog, ControlColors& colors)
      : template_(dialog), colors_(colors) {}
  virtual ~TemplateDialog();
  TemplateDialog(const TemplateDialog&) = delete;
  TemplateDialog& operator=(const TemplateDialog&) = delete;

  // Creates the window without showing it (style without WS_VISIBLE); false when Windows
  // refused. A child panel passes its parent and DS_CONTROL | WS_CHILD.
  bool Create(HWND parent, DWORD style);
  // Runs the template as a modal dialog; returns the EndDialog code.
  INT_PTR RunModal(HWND parent, DWORD style);

  HWND hwnd() const { return hwnd_; }
  HWND item(int id) const { return GetDlgItem(hwnd_, id); }
  const ui::DialogTemplate& dialogTemplate() const { return template_; }
  // Pixels per 4 × 8 dialog units of this dialog's font.
  ui::DialogBaseUnits baseUnits() const;
  // Moves, sizes and shows or hides every control of the template as the layout says.
  void ApplyLayout(const ui::ControlLayout& layout) const;
  // For a panel inside the main dialog: applies its layout, puts it at top (pixels, the
  // dialog's client coordinates) at the layout's size and shows it; returns its height.
  int PlacePanel(const ui::ControlLayout& layout, int top) const;

 protected:
  // A message of this dialog; return true when handled, with result the dialog procedure's
  // answer. WM_INITDIALOG has already set hwnd().
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
  ControlColors& colors() { return colors_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  const ui::DialogTemplate& template_;
  ControlColors& colors_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
};

}  // namespace vexa::win32
