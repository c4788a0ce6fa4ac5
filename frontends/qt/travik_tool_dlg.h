#pragma once

#include <QDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "app/adapter_display.h"
#include "app/product.h"
#include "engine/isp_context.h"
#include "frontends/model/control_layout.h"
#include "frontends/model/dialog_controls.h"
#include "frontends/model/tool_session.h"
#include "frontends/qt/busy_cursor.h"
#include "frontends/qt/dev_prog_dlg.h"
#include "frontends/qt/ro_edit.h"
#include "frontends/qt/simple_prog_dlg.h"
#include "frontends/qt/single_isp_dlg.h"
#include "frontends/qt/template_controls.h"
#include "transport/adapter_detection.h"

namespace vexa::dialog {

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
// ("Start", "Update" in one-step mode): the run goes on a worker thread while the dialog looks
// at it every 100 ms to move the engine's lines into its output box and the log file, drive
// the progress bar and colour the targets. Detection and the version queries go on a worker
// too, under a busy cursor with the controls locked, and their results arrive through the same
// 100 ms look, so the window never waits on the transport. It refuses to close while a run is
// under way.
class VexaTravikToolDlg : public QDialog {
  Q_OBJECT

 public:
  // ctx must outlive the dialog; the dialog initialises itself at once (configuration, log
  // file, detection, panel).
  VexaTravikToolDlg(IspContext& ctx, const DialogSetup& setup, QWidget* parent = nullptr);

  // How the dialog shows the user a warning (the exit guard's refusal); a message box unless
  // replaced.
  using WarningBox = std::function<void(const QString& text)>;
  void SetWarningBox(WarningBox box) { warningBox_ = std::move(box); }

  CRoEdit* adapterBox() const { return adapterBox_; }
  CRoEdit* statusBox() const { return statusBox_; }
  CRoEdit* outputBox() const { return outputBox_; }
  QProgressBar* progressBar() const { return progress_; }
  QPushButton* startButton() const { return start_; }
  QPushButton* getFwVersionButton() const { return getFwVersion_; }
  QPushButton* refreshButton() const { return refresh_; }
  // The panel of the mode; the others are null.
  CDevProgDlg* filePanel() const { return filePanel_; }
  CSimpleProgDlg* devicePanel() const { return devicePanel_; }
  CSingleIspDlg* versionPanel() const { return versionPanel_; }
  ui::ToolSession& session() { return session_; }
  const ui::DialogControls& controlStates() const { return controlStates_; }

 public slots:
  void StartRun();
  // The 100 ms look at a run or a job; does nothing when neither is under way.
  void PollRun();
  // Waits for the jobs under way (at start-up: the detection, then the one-step panel's
  // query) and shows their results. Blocks the user-interface thread: for the screenshot and
  // tests, never for a user's action.
  void CompleteJobs();
  void RefreshAdapter();
  void ShowFirmwareVersions();
  void ShowAbout();
  // The exit guard, for Escape, the caption's close button and the system menu's Close.
  void reject() override;

 signals:
  // A run has ended and its result is shown.
  void RunEnded();
  // A detection or version query has ended and its result is shown.
  void JobEnded();

 protected:
  bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void InitDialog(const std::string& configPath);
  void OfferAbout();
  void ArrangeMainLayout();
  // The panel of the mode, created, placed and filled.
  QWidget* CreatePanel();
  QWidget* CreateFilePanel();
  QWidget* CreateDevicePanel();
  QWidget* CreateVersionPanel();
  // A job has started on the session's worker: controls locked, busy cursor, polling.
  void JobStarted();
  // The look at a job; on its end, shows its result and unlocks the controls.
  void PollJob();
  void ShowJobResult(const AdapterDisplay& display);
  void ShowJobResult(const ui::FirmwareReport& report);
  void ShowJobResult(const ui::VersionPanelDisplay& display);
  void ShowJobResult(const ui::DevicePanelDisplay& display);
  // Fills a one-step panel; a panel that does not allow the update disables it.
  template <typename Panel, typename Display>
  void ShowPanelResult(Panel& panel, const Display& display);
  void AppendOutput(const std::string& text);
  void ShowAdapter(const AdapterDisplay& display);
  void FilesChecked(bool startAllowed);
  // Renders the enablement of the run's controls (buttons, Browse buttons, Close).
  void ApplyControlStates();
  void SetTargetBackground(size_t target, ui::Rgb color);

  ui::ToolSession session_;
  ui::DialogControls controlStates_;
  ui::DialogBaseUnits units_;
  TemplateControls controls_;
  ui::ControlLayout layout_;
  CRoEdit* adapterBox_;
  CRoEdit* statusBox_;
  CRoEdit* outputBox_;
  QProgressBar* progress_;
  QPushButton* start_;
  QPushButton* getFwVersion_;
  QPushButton* refresh_;
  CDevProgDlg* filePanel_ = nullptr;
  CSimpleProgDlg* devicePanel_ = nullptr;
  CSingleIspDlg* versionPanel_ = nullptr;
  QTimer pollTimer_;
  std::optional<BusyCursor> busyCursor_;
  bool aboutInSystemMenu_ = false;
  WarningBox warningBox_;
};

}  // namespace vexa::dialog
