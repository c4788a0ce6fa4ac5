#pragma once

#include <QIcon>

namespace vexa::dialog {

// The application's icon: the window's large and small icon and the About box's picture.
QIcon ApplicationIcon();

}  // namespace vexa::dialog
