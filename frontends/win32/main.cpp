#include <windows.h>
// These need the types of windows.h.
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/product.h"
#include "app/tool_transport.h"
#include "engine/isp_context.h"
#include "frontends/win32/control_colors.h"
#include "frontends/win32/gui_command_line.h"
#include "frontends/win32/travik_tool_dlg.h"
#include "frontends/win32/window_capture.h"
#include "util/windows_text.h"

namespace {

using vexa::win32::GuiOptions;
using vexa::win32::VexaTravikToolDlg;

constexpr int kExitFailure = 1;

std::vector<std::string> Utf8Arguments() {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(vexa::Utf8FromWide(wide[i]));
  LocalFree(wide);
  return arguments;
}

// A message on stderr, and in a message box when a user is watching.
void ReportError(const std::string& text, bool interactive) {
  std::fprintf(stderr, "%s\n", text.c_str());
  if (interactive) {
    MessageBoxW(nullptr, vexa::WideFromUtf8(text).c_str(),
                vexa::WideFromUtf8(vexa::kProductName).c_str(), MB_OK | MB_ICONERROR);
  }
}

// Dispatches messages until the quit message or until done says so.
template <typename Done>
void PumpMessages(HWND dialog, Done done) {
  MSG message;
  while (!done() && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Drains what is queued, so that the window is painted.
void PumpPending() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Unattended: optionally runs (trying to close the dialog once during the run, which the
// exit guard must refuse), then writes the picture and the control dump.
int RenderUnattended(VexaTravikToolDlg& dialog, const GuiOptions& options) {
  int exitCode = 0;
  // The picture shows the start-up detection and query finished.
  dialog.CompleteJobs();
  ShowWindow(dialog.hwnd(), SW_SHOWNOACTIVATE);
  PumpPending();
  if (options.run && !dialog.controlStates().startEnabled()) {
    ReportError("--run: \"Start\" is not enabled; rendering without a run", false);
    exitCode = kExitFailure;
  } else if (options.run) {
    bool ended = false;
    dialog.SetRunEnded([&ended] { ended = true; });
    dialog.SetWarningBox([](const std::wstring& text) {
      std::fprintf(stderr, "Warning: %s\n", vexa::Utf8FromWide(text).c_str());
    });
    dialog.StartRun();
    if (dialog.session().RunInProgress()) {
      SendMessageW(dialog.hwnd(), WM_CLOSE, 0, 0);
      PumpMessages(dialog.hwnd(), [&ended] { return ended; });
    }
  }
  PumpPending();
  if (!options.screenshotPath.empty() &&
      !vexa::win32::SaveClientPicture(dialog.hwnd(), options.screenshotPath)) {
    ReportError("Cannot write the screenshot " + options.screenshotPath, false);
    exitCode = kExitFailure;
  }
  if (!options.dumpPath.empty() && !vexa::win32::DumpControls(dialog.hwnd(), options.dumpPath)) {
    ReportError("Cannot write the control dump " + options.dumpPath, false);
    exitCode = kExitFailure;
  }
  return exitCode;
}

int RunDialog(const GuiOptions& options) {
  const bool interactive = !options.unattended();
  // The transport first: a simulated board in virtual time gives the engine its clock.
  std::string error;
  const std::unique_ptr<vexa::ToolTransport> transport =
      vexa::OpenToolTransport(options.simulateBoard, error);
  if (!transport) {
    ReportError(error, interactive);
    return vexa::win32::kGuiExitUsage;
  }
  vexa::IspContext ctx(*transport->clock);
  vexa::InitIspContext(ctx);

  vexa::win32::DialogSetup setup;
  setup.backends = transport->backends;
  setup.configPath = options.configPath;
  vexa::win32::ControlColors colors;
  VexaTravikToolDlg dialog(ctx, setup, colors);
  if (!dialog.Initialize()) {
    ReportError("Cannot create the dialog window", interactive);
    return kExitFailure;
  }
  if (!interactive) return RenderUnattended(dialog, options);
  ShowWindow(dialog.hwnd(), SW_SHOW);
  PumpMessages(dialog.hwnd(), [] { return false; });
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                      ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  const vexa::win32::GuiCommandLine line = vexa::win32::ParseGuiCommandLine(Utf8Arguments());
  if (!line.options) {
    std::fputs(line.output.c_str(), stdout);
    if (!line.usageError.empty()) ReportError(line.usageError, true);
    return line.exitCode;
  }
  return RunDialog(*line.options);
}
