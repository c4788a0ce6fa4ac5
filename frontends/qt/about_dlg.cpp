#include "frontends/qt/about_dlg.h"

#include <QPushButton>

#include "app/product.h"
#include "frontends/qt/dialog_font.h"
#include "frontends/qt/qt_text.h"

namespace vexa::dialog {

CAboutDlg::CAboutDlg(ui::DialogBaseUnits units, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      controls_(*this, ui::AboutTemplate()),
      versionText_(controls_.get<QLabel>(ui::about_ids::kVersionText)) {
  setFont(DialogFont());
  setWindowTitle(QString::fromUtf8(ui::AboutTemplate().caption));
  const ui::ControlLayout layout(ui::AboutTemplate(), units);
  controls_.ApplyLayout(layout);
  setFixedSize(layout.width, layout.height);
  versionText_->setText(ToQString(std::string(kProductName) + "\nVersion " + kProductVersion));
  connect(controls_.get<QPushButton>(ui::about_ids::kOk), &QPushButton::clicked, this,
          &QDialog::accept);
}

}  // namespace vexa::dialog
