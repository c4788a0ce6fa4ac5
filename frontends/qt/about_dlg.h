#pragma once

#include <QDialog>
#include <QLabel>

#include "frontends/model/dialog_units.h"
#include "frontends/qt/template_controls.h"

namespace vexa::dialog {

// The About box: the product's name and version. Closes with OK or Escape.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  CAboutDlg(ui::DialogBaseUnits units, QWidget* parent);

  QLabel* versionText() const { return versionText_; }

 private:
  TemplateControls controls_;
  QLabel* versionText_;
};

}  // namespace vexa::dialog
