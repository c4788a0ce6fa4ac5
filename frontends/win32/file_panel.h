#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "app/configuration.h"
#include "frontends/win32/ro_edit.h"
#include "frontends/win32/template_dialog.h"

namespace vexa::win32 {

// The file panel of the normal mode ("ISP File Setup"): the host's driver file and each
// configured target's firmware file, typed or browsed for, each path black when the file
// exists and red when not. Every change goes into the configuration's paths and re-runs the
// check, whose verdict on "Start" the panel passes to filesChecked.
class CDevProgDlg : public TemplateDialog {
 public:
  using FilesChecked = std::function<void(bool startAllowed)>;

  CDevProgDlg(Configuration& config, bool portsConfigured, ControlColors& colors,
              FilesChecked filesChecked);

  // Creates the panel inside parent at top (pixels), lays the rows out for the configured
  // targets and fills the path boxes, which runs the check. Returns the panel's height.
  int Initialize(HWND parent, int top);
  void ValidateFilePaths();
  void SetBrowseEnabled(bool enabled);
  // The run's colour of a target's firmware box.
  void SetTargetBackground(size_t target, ui::Rgb color);

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  struct PathRow {
    int boxId;
    int browseId;
    std::string* path;
  };
  void PreparePathBox(CRoEdit& box, const std::string& path, bool readOnly);
  void Browse(CRoEdit& box);
  std::array<PathRow, kTargetCount + 1> PathRows();

  Configuration& config_;
  bool portsConfigured_;
  FilesChecked filesChecked_;
  std::optional<CRoEdit> driverBox_;
  std::array<std::optional<CRoEdit>, kTargetCount> firmwareBoxes_;
  bool filling_ = false;
};

}  // namespace vexa::win32
