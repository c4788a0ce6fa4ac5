#pragma once

#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "app/configuration.h"
#include "frontends/model/colors.h"
#include "frontends/model/dialog_units.h"
#include "frontends/qt/ro_edit.h"
#include "frontends/qt/template_controls.h"

namespace vexa::dialog {

// Asks the user for an existing file, starting from current; nothing when cancelled.
using FileChooser = std::function<std::optional<QString>(QWidget* parent, const QString& current)>;

// The file dialog of the Browse buttons: BIN files first, any file on request.
std::optional<QString> ChooseFirmwareFile(QWidget* parent, const QString& current);

// The file panel of the normal mode ("ISP File Setup"): the host's driver file and each
// configured target's firmware file, typed or browsed for, each path black when the file
// exists and red when not. Every change goes into the configuration's paths and re-runs the
// check, whose verdict on "Start" the panel sends as FilesChecked.
class CDevProgDlg : public QWidget {
  Q_OBJECT

 public:
  CDevProgDlg(Configuration& config, bool portsConfigured, ui::DialogBaseUnits units,
              QWidget* parent);

  // Lays the rows out for the configured targets and fills the path boxes, which runs the
  // check: connect FilesChecked first.
  void Initialize();
  void ValidateFilePaths();

  void SetBrowseEnabled(bool enabled);
  // The run's colour of a target's firmware box.
  void SetTargetBackground(size_t target, ui::Rgb color);
  void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

  CRoEdit* driverBox() const { return driverBox_; }
  CRoEdit* firmwareBox(size_t target) const { return firmwareBoxes_.at(target); }
  QPushButton* driverBrowse() const { return driverBrowse_; }
  QPushButton* firmwareBrowse(size_t target) const { return firmwareBrowses_.at(target); }

 signals:
  void FilesChecked(bool startAllowed);

 private:
  void PreparePathBox(CRoEdit* box, QPushButton* browse, std::string& path, bool readOnly);
  void Browse(CRoEdit* box);

  Configuration& config_;
  bool portsConfigured_;
  ui::DialogBaseUnits units_;
  TemplateControls controls_;
  CRoEdit* driverBox_;
  QPushButton* driverBrowse_;
  std::array<CRoEdit*, kTargetCount> firmwareBoxes_;
  std::array<QPushButton*, kTargetCount> firmwareBrowses_;
  FileChooser chooseFile_ = ChooseFirmwareFile;
};

}  // namespace vexa::dialog
