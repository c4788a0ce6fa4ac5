#include "tests/frontends/win32/dialog_expectation.h"

#include <variant>

#include "app/tool_transport.h"
#include "engine/isp_context.h"
#include "frontends/model/configured_rows.h"
#include "frontends/model/device_panel_layout.h"
#include "frontends/model/dialog_controls.h"
#include "frontends/model/dialog_templates.h"
#include "frontends/model/file_check.h"
#include "frontends/model/file_panel_layout.h"
#include "frontends/model/main_dialog_mode.h"
#include "frontends/model/main_layout.h"
#include "frontends/model/tool_session.h"

namespace vexa::win32check {

namespace {

using ui::ControlKind;

std::string OneLine(std::string text) {
  std::erase(text, '\r');
  std::erase(text, '\n');
  return text;
}

// Geometry, visibility and the template's own text of every control of a laid-out template.
void ExpectTemplate(DialogExpectation& expected, bool panel, const ui::DialogTemplate& dialog,
                    const ui::ControlLayout& layout, int top) {
  for (const ui::ControlTemplate& control : dialog.controls) {
    const ui::Placement& placement = layout.at(control.id);
    ExpectedControl& entry = expected[{panel, control.id}];
    entry.rect = placement.rect;
    entry.rect.y += top;
    entry.visible = placement.visible;
    const bool hasOwnText =
        control.kind == ControlKind::kStatic || control.kind == ControlKind::kButton ||
        control.kind == ControlKind::kDefaultButton || control.kind == ControlKind::kGroupBox;
    if (hasOwnText) entry.text = control.text;
  }
}

void ExpectBox(ExpectedControl& box, const std::string& text, ui::Rgb textColor,
               ui::Rgb background) {
  box.text = text;
  box.textColor = textColor;
  box.background = background;
}

// The result of a job the session has just started, as the dialog's timer would see it.
template <typename Result>
Result Completed(ui::ToolSession& session, bool started) {
  Result result{};
  if (!started) return result;
  session.WaitForJob();
  if (std::optional<ui::JobResult> done = session.PollJob()) result = std::get<Result>(*done);
  return result;
}

const ui::DialogTemplate& TemplateOf(ui::PanelKind kind) {
  switch (kind) {
    case ui::PanelKind::kFiles:
      return ui::FilePanelTemplate();
    case ui::PanelKind::kDevices:
      return ui::DevicePanelTemplate();
    case ui::PanelKind::kVersion:
      break;
  }
  return ui::VersionPanelTemplate();
}

}  // namespace

std::optional<DialogExpectation> ExpectDialog(const std::string& configPath,
                                              const std::string& boardPath,
                                              const std::string& logPath, ui::DialogBaseUnits units,
                                              bool run, std::string& error) {
  const std::unique_ptr<ToolTransport> transport = OpenToolTransport(boardPath, error);
  if (!transport) return std::nullopt;
  IspContext ctx(*transport->clock);
  InitIspContext(ctx);
  ui::ToolSession session(ctx, transport->backends, logPath);
  std::string output = session.Open(configPath).value_or("");
  ui::DialogControls states;
  const auto adapter = Completed<AdapterDisplay>(session, session.StartAdapterRefresh());
  states.AdapterDetected(adapter.ready);

  Configuration& config = session.config();
  const ui::PanelKind kind = ui::PanelOfMode(config, ctx.portsConfigured);
  if (kind != ui::PanelKind::kVersion) ui::ConfigureHostRowWhenNoneIs(config);
  ui::ControlLayout main(ui::MainDialogTemplate(), units);
  const std::string startText = ui::ArrangeModeButtons(main, config);
  ui::ControlLayout panel(TemplateOf(kind), units);
  const int top = ui::VerticalPixels(ui::kPanelTopDlu, units);

  DialogExpectation expected;
  std::optional<ui::FileCheck> check;
  std::optional<ui::DevicePanelDisplay> devices;
  std::optional<ui::VersionPanelDisplay> version;
  if (kind == ui::PanelKind::kFiles) {
    ui::ArrangeFileRows(panel, config);
    check = ui::ValidateFilePaths(config, ctx.portsConfigured);
    states.FilesChecked(check->startAllowed);
  } else if (kind == ui::PanelKind::kDevices) {
    ui::ArrangeTargetRows(panel, config);
    devices = Completed<ui::DevicePanelDisplay>(session, session.StartDevicePanelQuery());
    if (!devices->updateAllowed) states.UpdateNotAllowed();
  } else {
    version = Completed<ui::VersionPanelDisplay>(session, session.StartVersionPanelQuery());
    if (!version->updateAllowed) states.UpdateNotAllowed();
    if (!version->next) {
      panel.Show(ui::version_ids::kNewLabel, false);
      panel.Show(ui::version_ids::kNewValue, false);
    }
  }
  ui::ArrangeMainLayout(main, top + panel.height);

  // The run, watched until its end as the dialog's timer does.
  std::array<std::optional<ui::Rgb>, kTargetCount> targetBackgrounds;
  ui::Rgb outputBackground = ui::kWhite;
  if (run && states.startEnabled() && session.StartRun()) {
    states.RunStarted();
    session.WaitForWorker();
    for (bool ended = false; !ended;) {
      const ui::RunTick tick = session.PollRun();
      for (const std::string& text : tick.texts) output += text;
      if (tick.targetBackgrounds) {
        for (size_t i = 0; i < kTargetCount; ++i)
          targetBackgrounds[i] = (*tick.targetBackgrounds)[i];
      }
      ended = tick.ended;
      outputBackground = tick.outputBackground;
    }
    states.RunEnded();
  }

  ExpectTemplate(expected, false, ui::MainDialogTemplate(), main, 0);
  ExpectTemplate(expected, true, TemplateOf(kind), panel, top);
  expected[{false, 0}].rect = {0, top, panel.width, panel.height};
  expected[{false, ui::main_ids::kStart}].text = startText;
  expected[{false, ui::main_ids::kStart}].enabled = states.startEnabled();
  expected[{false, ui::main_ids::kGetFwVersion}].enabled = states.getFwVersionEnabled();
  expected[{false, ui::main_ids::kRefresh}].enabled = states.refreshEnabled();
  ExpectBox(expected[{false, ui::main_ids::kAdapterBox}], OneLine(adapter.adapterText),
            adapter.adapterRed ? ui::kRed : ui::kBlack, ui::kGrey);
  ExpectBox(expected[{false, ui::main_ids::kStatusBox}], OneLine(adapter.statusText),
            adapter.statusRed ? ui::kRed : ui::kBlack, ui::kGrey);
  ExpectBox(expected[{false, ui::main_ids::kOutputBox}], output, ui::kBlack, outputBackground);

  if (check) {
    const AppSettings& settings = config.settings;
    const ui::Rgb driverBackground = settings.drvFileReadOnly ? ui::kGrey : ui::kWhite;
    ExpectBox(expected[{true, ui::file_ids::kDriverBox}], config.driverFilePath[kHostTarget],
              check->driverText, driverBackground);
    expected[{true, ui::file_ids::kDriverBrowse}].enabled = states.browseEnabled();
    for (size_t i = 0; i < kTargetCount; ++i) {
      const ui::Rgb background = settings.fwFileReadOnly ? ui::kGrey : ui::kWhite;
      ExpectBox(expected[{true, ui::kFirmwareRows[i].box}], config.fwFilePath[i],
                check->firmwareText[i].value_or(ui::kBlack),
                targetBackgrounds[i].value_or(background));
      expected[{true, ui::kFirmwareRows[i].browse}].enabled = states.browseEnabled();
    }
  }
  if (version) {
    expected[{true, ui::version_ids::kCurrentValue}].text = OneLine(version->current);
    if (version->next) expected[{true, ui::version_ids::kNewValue}].text = OneLine(*version->next);
  }
  if (devices) {
    for (size_t i = 0; i < kTargetCount; ++i) {
      if (!devices->rows[i]) continue;
      const ui::DeviceRowDisplay& row = *devices->rows[i];
      const ui::DeviceRowIds& ids = ui::kDeviceRows[i];
      ExpectBox(expected[{true, ids.onBoard}], OneLine(row.onBoard),
                row.onBoardRed ? ui::kRed : ui::kBlack, ui::kGrey);
      ExpectBox(expected[{true, ids.newVersion}], OneLine(row.next.value_or("")), ui::kBlack,
                targetBackgrounds[i].value_or(ui::kGrey));
      if (!row.next) {
        expected[{true, ids.arrow}].visible = false;
        expected[{true, ids.newVersion}].visible = false;
      }
    }
  }
  return expected;
}

}  // namespace vexa::win32check
