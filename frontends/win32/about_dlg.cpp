#include "frontends/win32/about_dlg.h"

#include <string>

#include "app/product.h"
#include "frontends/win32/wide_text.h"

namespace vexa::win32 {

void CAboutDlg::Run(HWND owner) {
  RunModal(owner, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER);
}

bool CAboutDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
  if (message == WM_INITDIALOG) {
    ApplyLayout(ui::ControlLayout(ui::AboutTemplate(), baseUnits()));
    const std::string version = std::string(kProductName) + "\r\nVersion " + kProductVersion;
    SetWindowTextW(item(ui::about_ids::kVersionText), MultiLineText(version).c_str());
    result = TRUE;
    return true;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(hwnd(), IDOK);
    result = TRUE;
    return true;
  }
  return false;
}

}  // namespace vexa::win32
