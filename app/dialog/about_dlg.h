#pragma once

#include <QDialog>
#include <QLabel>

#include "app/dialog/template_controls.h"
#include "app/ui/dialog_units.h"

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
