#include "frontends/qt/screenshot.h"

#include <QLineEdit>
#include <vector>

namespace vexa::dialog {

namespace {

struct HiddenSelection {
  QLineEdit* edit;
  int start;
  int length;
};

}  // namespace

QPixmap GrabAsShown(QWidget& window) {
  std::vector<HiddenSelection> hidden;
  for (QLineEdit* edit : window.findChildren<QLineEdit*>()) {
    if (edit->hasFocus() || !edit->hasSelectedText()) continue;
    hidden.push_back({edit, edit->selectionStart(), edit->selectionLength()});
    edit->deselect();
  }
  const QPixmap picture = window.grab();
  for (const HiddenSelection& selection : hidden) {
    selection.edit->setSelection(selection.start, selection.length);
  }
  return picture;
}

}  // namespace vexa::dialog
