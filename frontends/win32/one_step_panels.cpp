#include "frontends/win32/one_step_panels.h"

#include "frontends/model/configured_rows.h"
#include "frontends/model/device_panel_layout.h"
#include "frontends/win32/wide_text.h"

namespace vexa::win32 {

int CSimpleProgDlg::Initialize(HWND parent, int top) {
  ui::ConfigureHostRowWhenNoneIs(config_);
  if (!Create(parent, DS_CONTROL | WS_CHILD)) return 0;
  ui::ControlLayout layout(ui::DevicePanelTemplate(), baseUnits());
  ui::ArrangeTargetRows(layout, config_);
  const int height = PlacePanel(layout, top);
  for (size_t i = 0; i < kTargetCount; ++i) {
    const ui::DeviceRowIds& row = ui::kDeviceRows[i];
    onBoard_[i].emplace(item(row.onBoard), colors());
    newVersion_[i].emplace(item(row.newVersion), colors());
    for (CRoEdit* box : {&*onBoard_[i], &*newVersion_[i]}) {
      box->SetReadOnlyMode(1);
      box->SetBackgroundColor(ui::kGrey);
    }
  }
  return height;
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
      ShowWindow(item(ui::kDeviceRows[i].arrow), SW_HIDE);
      ShowWindow(newVersion_[i]->hwnd(), SW_HIDE);
    }
  }
}

void CSimpleProgDlg::SetTargetBackground(size_t target, ui::Rgb color) {
  newVersion_.at(target)->SetBackgroundColor(color);
}

int CSingleIspDlg::Initialize(HWND parent, int top) {
  if (!Create(parent, DS_CONTROL | WS_CHILD)) return 0;
  return PlacePanel(ui::ControlLayout(ui::VersionPanelTemplate(), baseUnits()), top);
}

void CSingleIspDlg::Show(const ui::VersionPanelDisplay& display) {
  SetWindowTextW(item(ui::version_ids::kCurrentValue), OneLineText(display.current).c_str());
  if (display.next) {
    SetWindowTextW(item(ui::version_ids::kNewValue), OneLineText(*display.next).c_str());
  } else {
    ShowWindow(item(ui::version_ids::kNewLabel), SW_HIDE);
    ShowWindow(item(ui::version_ids::kNewValue), SW_HIDE);
  }
}

}  // namespace vexa::win32
