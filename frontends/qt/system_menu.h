#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

namespace vexa::dialog {

// The window's system menu, where the platform gives windows one (Windows). Elsewhere these
// do nothing and the dialog offers the About box by other means.

// Appends a separator and the About item; false where there is no system menu.
bool AddAboutToSystemMenu(QWidget& window, const QString& text);

// Greys or enables the system menu's Close item.
void EnableSystemMenuClose(QWidget& window, bool enabled);

// True when a native window message is the About item's command.
bool IsAboutCommand(const QByteArray& eventType, const void* message);

}  // namespace vexa::dialog
