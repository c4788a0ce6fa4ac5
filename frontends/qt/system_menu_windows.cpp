#include <windows.h>

#include "frontends/qt/system_menu.h"

namespace vexa::dialog {

namespace {

// System menu commands of the program's own items must have their low four bits clear.
constexpr UINT kAboutCommand = 0x10;

}  // namespace

bool AddAboutToSystemMenu(QWidget& window, const QString& text) {
  HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(window.winId()), FALSE);
  if (menu == nullptr || text.isEmpty()) return false;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kAboutCommand, reinterpret_cast<LPCWSTR>(text.utf16()));
  return true;
}

void EnableSystemMenuClose(QWidget& window, bool enabled) {
  HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(window.winId()), FALSE);
  if (menu == nullptr) return;
  EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool IsAboutCommand(const QByteArray& eventType, const void* message) {
  if (eventType != "windows_generic_MSG") return false;
  const MSG* msg = static_cast<const MSG*>(message);
  return msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == kAboutCommand;
}

}  // namespace vexa::dialog
