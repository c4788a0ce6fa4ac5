#include "frontends/qt/dev_prog_dlg.h"

#include <QDir>
#include <QFileDialog>

#include "frontends/model/configured_rows.h"
#include "frontends/model/file_check.h"
#include "frontends/model/file_panel_layout.h"
#include "frontends/qt/qt_text.h"

namespace vexa::dialog {

namespace {

// Shows a path so that its file name is visible: the end of a long path, else its start.
void ShowPathPart(CRoEdit& box) {
  if (ui::ShowsPathEnd(ToUtf8(box.text()))) {
    box.ShowEnd();
  } else {
    box.ShowStart();
  }
}

}  // namespace

std::optional<QString> ChooseFirmwareFile(QWidget* parent, const QString& current) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters({QStringLiteral("Files (*.bin)"), QStringLiteral("All Files (*.*)")});
  dialog.setDefaultSuffix(QStringLiteral("bin"));
  dialog.selectFile(current.trimmed());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

CDevProgDlg::CDevProgDlg(Configuration& config, bool portsConfigured, ui::DialogBaseUnits units,
                         QWidget* parent)
    : QWidget(parent),
      config_(config),
      portsConfigured_(portsConfigured),
      units_(units),
      controls_(*this, ui::FilePanelTemplate()),
      driverBox_(controls_.get<CRoEdit>(ui::file_ids::kDriverBox)),
      driverBrowse_(controls_.get<QPushButton>(ui::file_ids::kDriverBrowse)) {
  for (size_t i = 0; i < kTargetCount; ++i) {
    firmwareBoxes_[i] = controls_.get<CRoEdit>(ui::kFirmwareRows[i].box);
    firmwareBrowses_[i] = controls_.get<QPushButton>(ui::kFirmwareRows[i].browse);
  }
}

void CDevProgDlg::Initialize() {
  ui::ConfigureHostRowWhenNoneIs(config_);
  ui::ControlLayout layout(ui::FilePanelTemplate(), units_);
  ui::ArrangeFileRows(layout, config_);
  controls_.ApplyLayout(layout);
  resize(layout.width, layout.height);

  const AppSettings& settings = config_.settings;
  PreparePathBox(driverBox_, driverBrowse_, config_.driverFilePath[kHostTarget],
                 settings.drvFileReadOnly);
  for (size_t i = 0; i < kTargetCount; ++i) {
    PreparePathBox(firmwareBoxes_[i], firmwareBrowses_[i], config_.fwFilePath[i],
                   settings.fwFileReadOnly);
  }
  // Setting a text the box already holds changes nothing, so the first check runs here.
  ValidateFilePaths();
}

void CDevProgDlg::PreparePathBox(CRoEdit* box, QPushButton* browse, std::string& path,
                                 bool readOnly) {
  if (readOnly) {
    box->SetReadOnlyMode(1);
    box->SetBackgroundColor(ui::kGrey);
  }
  // Typed or browsed, every change of the box is the path and re-runs the check.
  connect(box, &CRoEdit::textChanged, this, [this, &path](const QString& text) {
    path = ToUtf8(text);
    ValidateFilePaths();
  });
  connect(browse, &QPushButton::clicked, this, [this, box] { Browse(box); });
  box->SetText(ToQString(path));
  ShowPathPart(*box);
}

void CDevProgDlg::ValidateFilePaths() {
  const ui::FileCheck check = ui::ValidateFilePaths(config_, portsConfigured_);
  for (size_t i = 0; i < kTargetCount; ++i) {
    if (check.firmwareText[i]) firmwareBoxes_[i]->SetTextColor(*check.firmwareText[i]);
  }
  driverBox_->SetTextColor(check.driverText);
  emit FilesChecked(check.startAllowed);
}

void CDevProgDlg::Browse(CRoEdit* box) {
  const std::optional<QString> chosen = chooseFile_(this, box->text());
  if (!chosen) return;
  box->SetText(*chosen);
  ShowPathPart(*box);
}

void CDevProgDlg::SetBrowseEnabled(bool enabled) {
  driverBrowse_->setEnabled(enabled);
  for (QPushButton* browse : firmwareBrowses_) browse->setEnabled(enabled);
}

void CDevProgDlg::SetTargetBackground(size_t target, ui::Rgb color) {
  firmwareBoxes_.at(target)->SetBackgroundColor(color);
}

}  // namespace vexa::dialog
