#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/adapter_display.h"
#include "app/product.h"
#include "engine/isp_context.h"
#include "frontends/model/control_layout.h"
#include "frontends/model/dialog_controls.h"
#include "frontends/model/tool_session.h"
#include "frontends/win32/control_colors.h"
#include "frontends/win32/file_panel.h"
#include "frontends/win32/one_step_panels.h"
#include "frontends/win32/ro_edit.h"
#include "frontends/win32/template_dialog.h"
#include "transport/adapter_detection.h"

namespace vexa::win32 {

// Where the dialog's settings, transports and log file come from.
struct DialogSetup {
  GfxBackends backends;
  // The configuration file; empty: "Config.ini" beside the executable.
  std::string configPath;
  // The log file; a relative path lies in the current working directory.
  std::string logPath = kLogFileName;
};

// The tool's one window. It detects the graphics adapter and the chip behind it ("Refresh"),
// shows firmware versions ("Get FW Version", or the one-step prompt), and programs the chips
// ("Start", "Update" in one-step mode). Detection, queries and runs go on worker threads
// while a 100 ms timer looks at them: it shows a query's result, and moves a run's lines into
// the output box and the log file, drives the progress bar and colours the targets; the
// window keeps painting, with a wait cursor during a query. It refuses to close while a run is
// under way. Everything it shows is decided by frontends/model; this class renders it and forwards
// the user's actions.
class VexaTravikToolDlg : public TemplateDialog {
 public:
  // ctx must outlive the dialog.
  VexaTravikToolDlg(IspContext& ctx, const DialogSetup& setup, ControlColors& colors);
  ~VexaTravikToolDlg() override;

  // Creates the window and initialises it (configuration, log file, detection, panel)
  // without showing it; false when Windows refused the window.
  bool Initialize();

  // How the dialog shows the user a warning (the exit guard's refusal); a message box unless
  // replaced.
  using WarningBox = std::function<void(const std::wstring& text)>;
  void SetWarningBox(WarningBox box) { warningBox_ = std::move(box); }
  // Called once a run has ended and its result is shown.
  void SetRunEnded(std::function<void()> runEnded) { runEnded_ = std::move(runEnded); }

  void StartRun();
  // Waits for the detection or query under way and the ones that follow it, showing each
  // result; for unattended rendering, which shows the dialog with its start-up work done.
  void CompleteJobs();
  const ui::DialogControls& controlStates() const { return controlStates_; }
  ui::ToolSession& session() { return session_; }

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void InitDialog(const std::string& configPath);
  void OfferAbout();
  void ArrangeMainLayout();
  // The panel of the mode, created, placed and filled; returns its lower edge.
  int CreatePanel(int top);
  // The 100 ms look at a job or a run.
  void Poll();
  void PollJob();
  void PollRun();
  void JobStarted();
  void ShowJobResult(const AdapterDisplay& display);
  void ShowJobResult(const ui::FirmwareReport& report);
  void ShowJobResult(const ui::VersionPanelDisplay& display);
  void ShowJobResult(const ui::DevicePanelDisplay& display);
  template <typename Panel, typename Display>
  void ShowPanelResult(Panel& panel, const Display& display);
  void RefreshAdapter();
  void ShowFirmwareVersions();
  // The exit guard, for Escape, the caption's close button and the system menu's Close.
  void Close();
  void AppendOutput(const std::string& text);
  void ShowAdapter(const AdapterDisplay& display);
  void FilesChecked(bool startAllowed);
  void ApplyControlStates();
  void SetTargetBackground(size_t target, ui::Rgb color);
  void SetProgress(int position);

  ui::ToolSession session_;
  std::string configPath_;
  ui::DialogControls controlStates_;
  std::optional<ui::ControlLayout> layout_;
  std::optional<CRoEdit> adapterBox_;
  std::optional<CRoEdit> statusBox_;
  std::optional<CRoEdit> outputBox_;
  std::unique_ptr<CDevProgDlg> filePanel_;
  std::unique_ptr<CSimpleProgDlg> devicePanel_;
  std::unique_ptr<CSingleIspDlg> versionPanel_;
  HFONT outputFont_ = nullptr;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  WarningBox warningBox_;
  std::function<void()> runEnded_;
};

}  // namespace vexa::win32
