#pragma once

#include "frontends/win32/template_dialog.h"

namespace vexa::win32 {

// The About box: the icon, the product name and version, and OK.
class CAboutDlg : public TemplateDialog {
 public:
  explicit CAboutDlg(ControlColors& colors) : TemplateDialog(ui::AboutTemplate(), colors) {}
  void Run(HWND owner);

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
};

}  // namespace vexa::win32
