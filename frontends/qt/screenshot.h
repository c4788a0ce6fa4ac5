#pragma once

#include <QPixmap>
#include <QWidget>

namespace vexa::dialog {

// The window's picture as the live window shows it. A path box keeps a selection that only
// scrolls its view to the end (CRoEdit::ShowEnd); on screen an edit box without the focus
// shows no band for it, but a window rendered offscreen would paint one. The picture leaves
// such bands out; the selections themselves are kept.
QPixmap GrabAsShown(QWidget& window);

}  // namespace vexa::dialog
