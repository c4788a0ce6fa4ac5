#pragma once

#include <QLabel>
#include <QWidget>
#include <array>

#include "app/configuration.h"
#include "frontends/model/colors.h"
#include "frontends/model/dialog_units.h"
#include "frontends/model/one_step_display.h"
#include "frontends/qt/ro_edit.h"
#include "frontends/qt/template_controls.h"

namespace vexa::dialog {

// The one-step prompt with downstream ports: a row per configured target (Host Device,
// Dev Port#1, Dev Port#2) with what its chip carries, an arrow and what its file would put
// there. The new-version boxes follow a run's per-target state in colour.
class CSimpleProgDlg : public QWidget {
  Q_OBJECT

 public:
  CSimpleProgDlg(Configuration& config, ui::DialogBaseUnits units, QWidget* parent);

  // Lays the rows out for the configured targets.
  void Initialize();
  // Fills the rows with the one-step display.
  void Show(const ui::DevicePanelDisplay& display);
  void SetTargetBackground(size_t target, ui::Rgb color);

  CRoEdit* onBoardBox(size_t target) const { return onBoard_.at(target); }
  CRoEdit* newVersionBox(size_t target) const { return newVersion_.at(target); }
  QLabel* arrow(size_t target) const { return arrows_.at(target); }

 private:
  Configuration& config_;
  ui::DialogBaseUnits units_;
  TemplateControls controls_;
  std::array<CRoEdit*, kTargetCount> onBoard_;
  std::array<CRoEdit*, kTargetCount> newVersion_;
  std::array<QLabel*, kTargetCount> arrows_;
};

}  // namespace vexa::dialog
