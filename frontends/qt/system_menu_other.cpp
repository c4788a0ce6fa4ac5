#include "frontends/qt/system_menu.h"

namespace vexa::dialog {

bool AddAboutToSystemMenu(QWidget&, const QString&) {
  return false;
}

void EnableSystemMenuClose(QWidget&, bool) {}

bool IsAboutCommand(const QByteArray&, const void*) {
  return false;
}

}  // namespace vexa::dialog
