#pragma once

#include <QLabel>
#include <QWidget>

#include "frontends/model/dialog_units.h"
#include "frontends/model/one_step_display.h"
#include "frontends/qt/template_controls.h"

namespace vexa::dialog {

// The one-step prompt of a host-only setup: the firmware the host chip carries and the
// firmware its file would put there.
class CSingleIspDlg : public QWidget {
  Q_OBJECT

 public:
  CSingleIspDlg(ui::DialogBaseUnits units, QWidget* parent);

  void Show(const ui::VersionPanelDisplay& display);

  QLabel* currentValue() const { return currentValue_; }
  QLabel* newLabel() const { return newLabel_; }
  QLabel* newValue() const { return newValue_; }

 private:
  TemplateControls controls_;
  QLabel* currentValue_;
  QLabel* newLabel_;
  QLabel* newValue_;
};

}  // namespace vexa::dialog
