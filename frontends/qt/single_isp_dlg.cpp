#include "frontends/qt/single_isp_dlg.h"

#include "frontends/qt/qt_text.h"

namespace vexa::dialog {

CSingleIspDlg::CSingleIspDlg(ui::DialogBaseUnits units, QWidget* parent)
    : QWidget(parent),
      controls_(*this, ui::VersionPanelTemplate()),
      currentValue_(controls_.get<QLabel>(ui::version_ids::kCurrentValue)),
      newLabel_(controls_.get<QLabel>(ui::version_ids::kNewLabel)),
      newValue_(controls_.get<QLabel>(ui::version_ids::kNewValue)) {
  const ui::ControlLayout layout(ui::VersionPanelTemplate(), units);
  controls_.ApplyLayout(layout);
  resize(layout.width, layout.height);
}

void CSingleIspDlg::Show(const ui::VersionPanelDisplay& display) {
  currentValue_->setText(OneLineText(display.current));
  if (display.next) {
    newValue_->setText(OneLineText(*display.next));
  } else {
    newLabel_->hide();
    newValue_->hide();
  }
}

}  // namespace vexa::dialog
