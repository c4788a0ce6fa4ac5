#include "frontends/win32/travik_tool_dlg.h"

#include <commctrl.h>

#include <variant>

#include "app/run_control.h"
#include "frontends/model/main_dialog_mode.h"
#include "frontends/model/main_layout.h"
#include "frontends/model/run_poll.h"
#include "frontends/win32/about_dlg.h"
#include "frontends/win32/dialog_template_builder.h"
#include "frontends/win32/wide_text.h"
#include "util/windows_text.h"

namespace vexa::win32 {

namespace {

constexpr DWORD kDialogStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_CENTER;
// System menu commands of the program's own items must have their low four bits clear.
constexpr UINT kAboutCommand = 0x10;
constexpr UINT_PTR kPollTimer = 1;

HICON LoadAppIcon(int size) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kAppIconId),
                                       IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// The output box's fixed-pitch font, 8 points like the dialog's.
HFONT CreateOutputFont(HWND window) {
  HDC dc = GetDC(window);
  const int height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(window, dc);
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     FIXED_PITCH | FF_MODERN, L"Courier New");
}

}  // namespace

VexaTravikToolDlg::VexaTravikToolDlg(IspContext& ctx, const DialogSetup& setup,
                                     ControlColors& colors)
    : TemplateDialog(ui::MainDialogTemplate(), colors),
      session_(ctx, setup.backends, setup.logPath),
      configPath_(setup.configPath),
      warningBox_([this](const std::wstring& text) {
        MessageBoxW(hwnd(), text.c_str(), WideFromUtf8(ProductCaption()).c_str(),
                    MB_OK | MB_ICONWARNING);
      }) {}

VexaTravikToolDlg::~VexaTravikToolDlg() {
  if (outputFont_ != nullptr) DeleteObject(outputFont_);
  for (HICON icon : {bigIcon_, smallIcon_}) {
    if (icon != nullptr) DestroyIcon(icon);
  }
}

bool VexaTravikToolDlg::Initialize() {
  if (!Create(nullptr, kDialogStyle)) return false;
  InitDialog(configPath_);
  return true;
}

void VexaTravikToolDlg::InitDialog(const std::string& configPath) {
  layout_.emplace(ui::MainDialogTemplate(), baseUnits());
  adapterBox_.emplace(item(ui::main_ids::kAdapterBox), colors());
  statusBox_.emplace(item(ui::main_ids::kStatusBox), colors());
  outputBox_.emplace(item(ui::main_ids::kOutputBox), colors());
  SendMessageW(item(ui::main_ids::kProgress), PBM_SETRANGE32, 0, ui::kProgressRange);

  OfferAbout();
  bigIcon_ = LoadAppIcon(GetSystemMetrics(SM_CXICON));
  smallIcon_ = LoadAppIcon(GetSystemMetrics(SM_CXSMICON));
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

  if (const std::optional<std::string> message = session_.Open(configPath)) {
    AppendOutput(*message);
  }
  SetWindowTextW(hwnd(), WideFromUtf8(ProductCaption()).c_str());

  for (CRoEdit* box : {&*adapterBox_, &*statusBox_}) {
    box->SetReadOnlyMode(1);
    box->SetBackgroundColor(ui::kGrey);
  }
  RefreshAdapter();
  ArrangeMainLayout();

  outputBox_->SetReadOnlyMode(1);
  outputFont_ = CreateOutputFont(hwnd());
  SendMessageW(outputBox_->hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(outputFont_), TRUE);
  outputBox_->Focus();
}

void VexaTravikToolDlg::OfferAbout() {
  HMENU menu = GetSystemMenu(hwnd(), FALSE);
  if (menu == nullptr) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kAboutCommand, WideFromUtf8(ui::AboutItemText()).c_str());
}

void VexaTravikToolDlg::ArrangeMainLayout() {
  const std::wstring startText = WideFromUtf8(ui::ArrangeModeButtons(*layout_, session_.config()));
  SetWindowTextW(item(ui::main_ids::kStart), startText.c_str());
  const int panelBottom = CreatePanel(ui::VerticalPixels(ui::kPanelTopDlu, baseUnits()));
  ui::ArrangeMainLayout(*layout_, panelBottom);
  ApplyLayout(*layout_);

  RECT window{0, 0, layout_->width, layout_->height};
  AdjustWindowRectEx(&window, static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)));
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  SetWindowPos(hwnd(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int VexaTravikToolDlg::CreatePanel(int top) {
  Configuration& config = session_.config();
  const ui::PanelKind kind = ui::PanelOfMode(config, session_.ctx().portsConfigured);
  session_.PanelShown(kind);
  switch (kind) {
    case ui::PanelKind::kFiles:
      filePanel_ =
          std::make_unique<CDevProgDlg>(config, session_.ctx().portsConfigured, colors(),
                                        [this](bool startAllowed) { FilesChecked(startAllowed); });
      return top + filePanel_->Initialize(hwnd(), top);
    case ui::PanelKind::kDevices: {
      devicePanel_ = std::make_unique<CSimpleProgDlg>(config, colors());
      return top + devicePanel_->Initialize(hwnd(), top);
    }
    case ui::PanelKind::kVersion: {
      versionPanel_ = std::make_unique<CSingleIspDlg>(colors());
      return top + versionPanel_->Initialize(hwnd(), top);
    }
  }
  return top;
}

bool VexaTravikToolDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
  result = TRUE;
  switch (message) {
    case WM_TIMER:
      if (wParam != kPollTimer) return false;
      Poll();
      return true;
    case WM_SETCURSOR:
      if (!controlStates_.jobRunning()) return false;
      SetCursor(LoadCursor(nullptr, IDC_WAIT));
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
      return true;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != kAboutCommand) return false;
      CAboutDlg(colors()).Run(hwnd());
      return true;
    case WM_CLOSE:
      Close();
      return true;
    case WM_COMMAND:
      break;
    default:
      return false;
  }
  switch (LOWORD(wParam)) {
    case ui::main_ids::kStart:
      StartRun();
      return true;
    case ui::main_ids::kGetFwVersion:
      ShowFirmwareVersions();
      return true;
    case ui::main_ids::kRefresh:
      RefreshAdapter();
      return true;
    case IDCANCEL:
      Close();
      return true;
    default:
      return false;
  }
}

void VexaTravikToolDlg::RefreshAdapter() {
  if (!controlStates_.refreshEnabled()) return;
  controlStates_.AdapterDetected(false);
  if (session_.StartAdapterRefresh()) JobStarted();
  ApplyControlStates();
}

void VexaTravikToolDlg::JobStarted() {
  controlStates_.JobStarted();
  SetTimer(hwnd(), kPollTimer, ui::kPollPeriodMs, nullptr);
}

void VexaTravikToolDlg::Poll() {
  if (session_.JobInProgress()) PollJob();
  if (session_.RunInProgress()) PollRun();
  if (!session_.JobInProgress() && !session_.RunInProgress()) KillTimer(hwnd(), kPollTimer);
}

void VexaTravikToolDlg::PollJob() {
  const std::optional<ui::JobResult> result = session_.PollJob();
  if (!result) return;
  controlStates_.JobEnded();
  std::visit([this](const auto& shown) { ShowJobResult(shown); }, *result);
  ApplyControlStates();
}

void VexaTravikToolDlg::CompleteJobs() {
  while (session_.JobInProgress()) {
    session_.WaitForJob();
    PollJob();
  }
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

void VexaTravikToolDlg::ShowAdapter(const AdapterDisplay& display) {
  adapterBox_->SetText(OneLineText(display.adapterText));
  statusBox_->SetText(OneLineText(display.statusText));
  adapterBox_->SetTextColor(display.adapterRed ? ui::kRed : ui::kBlack);
  statusBox_->SetTextColor(display.statusRed ? ui::kRed : ui::kBlack);
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
  SetTimer(hwnd(), kPollTimer, ui::kPollPeriodMs, nullptr);
  controlStates_.RunStarted();
  outputBox_->SetBackgroundColor(ui::kWhite);
  outputBox_->Focus();
  SetProgress(0);
  ApplyControlStates();
}

void VexaTravikToolDlg::PollRun() {
  const ui::RunTick tick = session_.PollRun();
  SetProgress(tick.progressPosition);
  for (const std::string& text : tick.texts) AppendOutput(text);
  if (tick.targetBackgrounds) {
    for (size_t i = 0; i < kTargetCount; ++i) SetTargetBackground(i, (*tick.targetBackgrounds)[i]);
  }
  if (!tick.ended) return;
  outputBox_->SetBackgroundColor(tick.outputBackground);
  controlStates_.RunEnded();
  ApplyControlStates();
  if (runEnded_) runEnded_();
}

void VexaTravikToolDlg::SetTargetBackground(size_t target, ui::Rgb color) {
  if (devicePanel_ != nullptr) devicePanel_->SetTargetBackground(target, color);
  if (filePanel_ != nullptr) filePanel_->SetTargetBackground(target, color);
}

void VexaTravikToolDlg::SetProgress(int position) {
  SendMessageW(item(ui::main_ids::kProgress), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void VexaTravikToolDlg::ShowFirmwareVersions() {
  if (!controlStates_.getFwVersionEnabled()) return;
  outputBox_->SetBackgroundColor(ui::kWhite);
  SetProgress(0);
  if (session_.StartFirmwareVersions()) JobStarted();
  ApplyControlStates();
}

void VexaTravikToolDlg::Close() {
  if (!controlStates_.closeAllowed()) {
    warningBox_(MultiLineText(ui::kExitRefused));
    return;
  }
  // The message loop ends and the window goes with the dialog object.
  ShowWindow(hwnd(), SW_HIDE);
  PostQuitMessage(0);
}

void VexaTravikToolDlg::AppendOutput(const std::string& text) {
  outputBox_->AppendText(MultiLineText(text));
}

void VexaTravikToolDlg::ApplyControlStates() {
  EnableWindow(item(ui::main_ids::kStart), controlStates_.startEnabled());
  EnableWindow(item(ui::main_ids::kGetFwVersion), controlStates_.getFwVersionEnabled());
  EnableWindow(item(ui::main_ids::kRefresh), controlStates_.refreshEnabled());
  if (filePanel_ != nullptr) filePanel_->SetBrowseEnabled(controlStates_.browseEnabled());
  HMENU menu = GetSystemMenu(hwnd(), FALSE);
  if (menu != nullptr) {
    EnableMenuItem(menu, SC_CLOSE,
                   MF_BYCOMMAND | (controlStates_.closeAllowed() ? MF_ENABLED : MF_GRAYED));
  }
}

}  // namespace vexa::win32
