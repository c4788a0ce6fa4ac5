#include "frontends/qt/travik_tool_dlg.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>
#include <QShortcut>
#include <variant>

#include "app/run_control.h"
#include "frontends/model/main_dialog_mode.h"
#include "frontends/model/main_layout.h"
#include "frontends/model/run_poll.h"
#include "frontends/qt/about_dlg.h"
#include "frontends/qt/app_icon.h"
#include "frontends/qt/busy_cursor.h"
#include "frontends/qt/dialog_font.h"
#include "frontends/qt/qt_text.h"
#include "frontends/qt/system_menu.h"

namespace vexa::dialog {

namespace {

QString AboutItemText() {
  return ToQString(ui::AboutItemText());
}

constexpr Qt::WindowFlags kDialogFrame = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowCloseButtonHint;

}  // namespace

VexaTravikToolDlg::VexaTravikToolDlg(IspContext& ctx, const DialogSetup& setup, QWidget* parent)
    : QDialog(parent, kDialogFrame),
      session_(ctx, setup.backends, setup.logPath),
      units_(BaseUnitsOf(DialogFont())),
      controls_(*this, ui::MainDialogTemplate()),
      layout_(ui::MainDialogTemplate(), units_),
      adapterBox_(controls_.get<CRoEdit>(ui::main_ids::kAdapterBox)),
      statusBox_(controls_.get<CRoEdit>(ui::main_ids::kStatusBox)),
      outputBox_(controls_.get<CRoEdit>(ui::main_ids::kOutputBox)),
      progress_(controls_.get<QProgressBar>(ui::main_ids::kProgress)),
      start_(controls_.get<QPushButton>(ui::main_ids::kStart)),
      getFwVersion_(controls_.get<QPushButton>(ui::main_ids::kGetFwVersion)),
      refresh_(controls_.get<QPushButton>(ui::main_ids::kRefresh)),
      warningBox_(
          [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); }) {
  setFont(DialogFont());
  progress_->setRange(0, ui::kProgressRange);
  progress_->setValue(0);

  connect(start_, &QPushButton::clicked, this, &VexaTravikToolDlg::StartRun);
  connect(getFwVersion_, &QPushButton::clicked, this, &VexaTravikToolDlg::ShowFirmwareVersions);
  connect(refresh_, &QPushButton::clicked, this, &VexaTravikToolDlg::RefreshAdapter);
  pollTimer_.setInterval(ui::kPollPeriodMs);
  connect(&pollTimer_, &QTimer::timeout, this, &VexaTravikToolDlg::PollRun);

  InitDialog(setup.configPath);
}

void VexaTravikToolDlg::InitDialog(const std::string& configPath) {
  OfferAbout();
  setWindowIcon(ApplicationIcon());

  if (const std::optional<std::string> message = session_.Open(configPath)) {
    AppendOutput(*message);
  }
  setWindowTitle(ToQString(ProductCaption()));

  for (CRoEdit* box : {adapterBox_, statusBox_}) {
    box->SetReadOnlyMode(1);
    box->SetBackgroundColor(ui::kGrey);
  }
  RefreshAdapter();
  ArrangeMainLayout();

  outputBox_->SetReadOnlyMode(1);
  outputBox_->editor()->setFont(OutputFont());
  outputBox_->setFocus();
}

void VexaTravikToolDlg::OfferAbout() {
  aboutInSystemMenu_ = AddAboutToSystemMenu(*this, AboutItemText());
  if (aboutInSystemMenu_) return;
  // Without a system menu: F1, and the dialog's context menu (contextMenuEvent).
  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, &VexaTravikToolDlg::ShowAbout);
}

void VexaTravikToolDlg::contextMenuEvent(QContextMenuEvent* event) {
  if (aboutInSystemMenu_) {
    QDialog::contextMenuEvent(event);
    return;
  }
  QMenu menu(this);
  menu.addAction(AboutItemText(), this, &VexaTravikToolDlg::ShowAbout);
  menu.exec(event->globalPos());
}

bool VexaTravikToolDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
  if (IsAboutCommand(eventType, message)) {
    ShowAbout();
    *result = 0;
    return true;
  }
  return QDialog::nativeEvent(eventType, message, result);
}

void VexaTravikToolDlg::ShowAbout() {
  CAboutDlg about(units_, this);
  about.exec();
}

void VexaTravikToolDlg::RefreshAdapter() {
  if (!controlStates_.refreshEnabled()) return;
  controlStates_.AdapterDetected(false);
  if (session_.StartAdapterRefresh()) JobStarted();
  ApplyControlStates();
}

void VexaTravikToolDlg::JobStarted() {
  controlStates_.JobStarted();
  busyCursor_.emplace();
  pollTimer_.start();
}

void VexaTravikToolDlg::PollJob() {
  std::optional<ui::JobResult> result = session_.PollJob();
  if (!result) return;
  pollTimer_.stop();
  busyCursor_.reset();
  controlStates_.JobEnded();
  std::visit([this](const auto& shown) { ShowJobResult(shown); }, *result);
  ApplyControlStates();
  emit JobEnded();
}

void VexaTravikToolDlg::ShowJobResult(const AdapterDisplay& display) {
  ShowAdapter(display);
  controlStates_.AdapterDetected(display.ready);
  switch (session_.StepAfterDetection()) {
    case ui::ToolSession::PanelStep::kCheckFiles:
      filePanel_->ValidateFilePaths();
      break;
    case ui::ToolSession::PanelStep::kQueryStarted:
      JobStarted();
      break;
    case ui::ToolSession::PanelStep::kNone:
      break;
  }
}

void VexaTravikToolDlg::ShowJobResult(const ui::FirmwareReport& report) {
  outputBox_->SetText(MultiLineText(report.text));
}

void VexaTravikToolDlg::ShowJobResult(const ui::VersionPanelDisplay& display) {
  ShowPanelResult(*versionPanel_, display);
}

void VexaTravikToolDlg::ShowJobResult(const ui::DevicePanelDisplay& display) {
  ShowPanelResult(*devicePanel_, display);
}

template <typename Panel, typename Display>
void VexaTravikToolDlg::ShowPanelResult(Panel& panel, const Display& display) {
  panel.Show(display);
  if (!display.updateAllowed) controlStates_.UpdateNotAllowed();
}

void VexaTravikToolDlg::CompleteJobs() {
  while (session_.JobInProgress()) {
    session_.WaitForJob();
    PollJob();
  }
}

void VexaTravikToolDlg::ShowAdapter(const AdapterDisplay& display) {
  adapterBox_->SetText(OneLineText(display.adapterText));
  statusBox_->SetText(OneLineText(display.statusText));
  adapterBox_->SetTextColor(display.adapterRed ? ui::kRed : ui::kBlack);
  statusBox_->SetTextColor(display.statusRed ? ui::kRed : ui::kBlack);
}

void VexaTravikToolDlg::ArrangeMainLayout() {
  start_->setText(ToQString(ui::ArrangeModeButtons(layout_, session_.config())));
  QWidget* panel = CreatePanel();
  ui::ArrangeMainLayout(layout_, panel->y() + panel->height());
  controls_.ApplyLayout(layout_);
  setFixedSize(layout_.width, layout_.height);
}

QWidget* VexaTravikToolDlg::CreatePanel() {
  const QPoint place(0, ui::VerticalPixels(ui::kPanelTopDlu, units_));
  QWidget* panel = nullptr;
  const ui::PanelKind kind = ui::PanelOfMode(session_.config(), session_.ctx().portsConfigured);
  switch (kind) {
    case ui::PanelKind::kFiles:
      panel = CreateFilePanel();
      break;
    case ui::PanelKind::kDevices:
      panel = CreateDevicePanel();
      break;
    case ui::PanelKind::kVersion:
      panel = CreateVersionPanel();
      break;
  }
  panel->move(place);
  panel->show();
  session_.PanelShown(kind);
  return panel;
}

QWidget* VexaTravikToolDlg::CreateFilePanel() {
  filePanel_ = new CDevProgDlg(session_.config(), session_.ctx().portsConfigured, units_, this);
  connect(filePanel_, &CDevProgDlg::FilesChecked, this, &VexaTravikToolDlg::FilesChecked);
  filePanel_->Initialize();
  return filePanel_;
}

QWidget* VexaTravikToolDlg::CreateDevicePanel() {
  devicePanel_ = new CSimpleProgDlg(session_.config(), units_, this);
  devicePanel_->Initialize();
  return devicePanel_;
}

QWidget* VexaTravikToolDlg::CreateVersionPanel() {
  versionPanel_ = new CSingleIspDlg(units_, this);
  return versionPanel_;
}

void VexaTravikToolDlg::FilesChecked(bool startAllowed) {
  controlStates_.FilesChecked(startAllowed);
  ApplyControlStates();
}

void VexaTravikToolDlg::StartRun() {
  if (!controlStates_.startEnabled()) return;
  if (!session_.StartRun()) {
    AppendOutput(kRunStartFailed);
    return;
  }
  pollTimer_.start();
  controlStates_.RunStarted();
  outputBox_->SetBackgroundColor(ui::kWhite);
  outputBox_->setFocus();
  progress_->setRange(0, ui::kProgressRange);
  ApplyControlStates();
}

void VexaTravikToolDlg::PollRun() {
  if (session_.JobInProgress()) PollJob();
  if (!session_.RunInProgress()) return;
  const ui::RunTick tick = session_.PollRun();
  progress_->setValue(tick.progressPosition);
  for (const std::string& text : tick.texts) AppendOutput(text);
  if (tick.targetBackgrounds) {
    for (size_t i = 0; i < kTargetCount; ++i) SetTargetBackground(i, (*tick.targetBackgrounds)[i]);
  }
  if (!tick.ended) return;
  pollTimer_.stop();
  outputBox_->SetBackgroundColor(tick.outputBackground);
  controlStates_.RunEnded();
  ApplyControlStates();
  emit RunEnded();
}

void VexaTravikToolDlg::SetTargetBackground(size_t target, ui::Rgb color) {
  if (devicePanel_ != nullptr) devicePanel_->SetTargetBackground(target, color);
  if (filePanel_ != nullptr) filePanel_->SetTargetBackground(target, color);
}

void VexaTravikToolDlg::ShowFirmwareVersions() {
  if (!controlStates_.getFwVersionEnabled()) return;
  outputBox_->SetBackgroundColor(ui::kWhite);
  progress_->setRange(0, ui::kProgressRange);
  if (session_.StartFirmwareVersions()) JobStarted();
  ApplyControlStates();
}

void VexaTravikToolDlg::reject() {
  if (!controlStates_.closeAllowed()) {
    warningBox_(MultiLineText(ui::kExitRefused));
    return;
  }
  QDialog::reject();
}

void VexaTravikToolDlg::AppendOutput(const std::string& text) {
  outputBox_->AppendText(MultiLineText(text));
}

void VexaTravikToolDlg::ApplyControlStates() {
  start_->setEnabled(controlStates_.startEnabled());
  getFwVersion_->setEnabled(controlStates_.getFwVersionEnabled());
  refresh_->setEnabled(controlStates_.refreshEnabled());
  if (filePanel_ != nullptr) filePanel_->SetBrowseEnabled(controlStates_.browseEnabled());
  EnableSystemMenuClose(*this, controlStates_.closeAllowed());
}

}  // namespace vexa::dialog
