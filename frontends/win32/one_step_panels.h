#pragma once

#include <array>
#include <optional>

#include "app/configuration.h"
#include "frontends/model/one_step_display.h"
#include "frontends/win32/ro_edit.h"
#include "frontends/win32/template_dialog.h"

namespace vexa::win32 {

// The one-step prompt with downstream ports: one row per target with a firmware path, the
// chip's on-board version ==> the version of its file. During a run the new-version box takes
// the target's colour.
class CSimpleProgDlg : public TemplateDialog {
 public:
  CSimpleProgDlg(Configuration& config, ControlColors& colors)
      : TemplateDialog(ui::DevicePanelTemplate(), colors), config_(config) {}

  // Creates the panel inside parent at top (pixels) with its rows laid out; returns its height.
  int Initialize(HWND parent, int top);
  void Show(const ui::DevicePanelDisplay& display);
  void SetTargetBackground(size_t target, ui::Rgb color);

 private:
  Configuration& config_;
  std::array<std::optional<CRoEdit>, kTargetCount> onBoard_;
  std::array<std::optional<CRoEdit>, kTargetCount> newVersion_;
};

// The one-step prompt of the host-only setup: the host's current and new firmware.
class CSingleIspDlg : public TemplateDialog {
 public:
  explicit CSingleIspDlg(ControlColors& colors)
      : TemplateDialog(ui::VersionPanelTemplate(), colors) {}

  int Initialize(HWND parent, int top);
  void Show(const ui::VersionPanelDisplay& display);
};

}  // namespace vexa::win32
