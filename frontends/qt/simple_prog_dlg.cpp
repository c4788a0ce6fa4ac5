#include "frontends/qt/simple_prog_dlg.h"

#include "frontends/model/configured_rows.h"
#include "frontends/model/device_panel_layout.h"
#include "frontends/qt/qt_text.h"

namespace vexa::dialog {

CSimpleProgDlg::CSimpleProgDlg(Configuration& config, ui::DialogBaseUnits units, QWidget* parent)
    : QWidget(parent), config_(config), units_(units), controls_(*this, ui::DevicePanelTemplate()) {
  for (size_t i = 0; i < kTargetCount; ++i) {
    const ui::DeviceRowIds& row = ui::kDeviceRows[i];
    onBoard_[i] = controls_.get<CRoEdit>(row.onBoard);
    newVersion_[i] = controls_.get<CRoEdit>(row.newVersion);
    arrows_[i] = controls_.get<QLabel>(row.arrow);
    for (CRoEdit* box : {onBoard_[i], newVersion_[i]}) {
      box->SetReadOnlyMode(1);
      box->SetTextColor(ui::kBlack);
      box->SetBackgroundColor(ui::kGrey);
    }
  }
}

void CSimpleProgDlg::Initialize() {
  ui::ConfigureHostRowWhenNoneIs(config_);
  ui::ControlLayout layout(ui::DevicePanelTemplate(), units_);
  ui::ArrangeTargetRows(layout, config_);
  controls_.ApplyLayout(layout);
  resize(layout.width, layout.height);
}

void CSimpleProgDlg::Show(const ui::DevicePanelDisplay& display) {
  for (size_t i = 0; i < kTargetCount; ++i) {
    if (!display.rows[i]) continue;
    const ui::DeviceRowDisplay& row = *display.rows[i];
    onBoard_[i]->SetText(OneLineText(row.onBoard));
    if (row.onBoardRed) onBoard_[i]->SetTextColor(ui::kRed);
    if (row.next) {
      newVersion_[i]->SetText(OneLineText(*row.next));
    } else {
      arrows_[i]->hide();
      newVersion_[i]->hide();
    }
  }
}

void CSimpleProgDlg::SetTargetBackground(size_t target, ui::Rgb color) {
  newVersion_.at(target)->SetBackgroundColor(color);
}

}  // namespace vexa::dialog
