#include "frontends/win32/file_panel.h"

#include <commdlg.h>

#include "frontends/model/configured_rows.h"
#include "frontends/model/file_check.h"
#include "frontends/model/file_panel_layout.h"
#include "util/windows_text.h"

namespace vexa::win32 {

namespace {

// Shows a path so that its file name is visible: the end of a long path, else its start.
void ShowPathPart(CRoEdit& box) {
  if (ui::ShowsPathEnd(box.text())) {
    box.ShowEnd();
  } else {
    box.ShowStart();
  }
}

// The system's open-file dialog: BIN files first, any file on request; nothing when
// cancelled.
std::optional<std::wstring> ChooseFirmwareFile(HWND owner, const std::string& current) {
  std::wstring file = WideFromUtf8(current);
  file.resize(MAX_PATH * 4, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"Files (*.bin)\0*.bin\0All Files (*.*)\0*.*\0";
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrDefExt = L"bin";
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  file.resize(file.find(L'\0'));
  return file;
}

}  // namespace

CDevProgDlg::CDevProgDlg(Configuration& config, bool portsConfigured, ControlColors& colors,
                         FilesChecked filesChecked)
    : TemplateDialog(ui::FilePanelTemplate(), colors),
      config_(config),
      portsConfigured_(portsConfigured),
      filesChecked_(std::move(filesChecked)) {}

std::array<CDevProgDlg::PathRow, kTargetCount + 1> CDevProgDlg::PathRows() {
  std::array<PathRow, kTargetCount + 1> rows{};
  rows[0] = {ui::file_ids::kDriverBox, ui::file_ids::kDriverBrowse,
             &config_.driverFilePath[kHostTarget]};
  for (size_t i = 0; i < kTargetCount; ++i) {
    rows[i + 1] = {ui::kFirmwareRows[i].box, ui::kFirmwareRows[i].browse, &config_.fwFilePath[i]};
  }
  return rows;
}

int CDevProgDlg::Initialize(HWND parent, int top) {
  if (!Create(parent, DS_CONTROL | WS_CHILD)) return 0;
  ui::ConfigureHostRowWhenNoneIs(config_);
  ui::ControlLayout layout(ui::FilePanelTemplate(), baseUnits());
  ui::ArrangeFileRows(layout, config_);
  const int height = PlacePanel(layout, top);

  const AppSettings& settings = config_.settings;
  filling_ = true;
  driverBox_.emplace(item(ui::file_ids::kDriverBox), colors());
  PreparePathBox(*driverBox_, config_.driverFilePath[kHostTarget], settings.drvFileReadOnly);
  for (size_t i = 0; i < kTargetCount; ++i) {
    firmwareBoxes_[i].emplace(item(ui::kFirmwareRows[i].box), colors());
    PreparePathBox(*firmwareBoxes_[i], config_.fwFilePath[i], settings.fwFileReadOnly);
  }
  filling_ = false;
  ValidateFilePaths();
  return height;
}

void CDevProgDlg::PreparePathBox(CRoEdit& box, const std::string& path, bool readOnly) {
  if (readOnly) {
    box.SetReadOnlyMode(1);
    box.SetBackgroundColor(ui::kGrey);
  }
  box.SetText(WideFromUtf8(path));
  ShowPathPart(box);
}

bool CDevProgDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
  if (message != WM_COMMAND) return false;
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  size_t row = 0;
  for (const PathRow& pathRow : PathRows()) {
    CRoEdit& box = row == 0 ? *driverBox_ : *firmwareBoxes_[row - 1];
    ++row;
    if (id == pathRow.boxId && code == EN_CHANGE && !filling_) {
      // Typed or browsed, every change of the box is the path and re-runs the check.
      *pathRow.path = box.text();
      ValidateFilePaths();
    } else if (id == pathRow.browseId && code == BN_CLICKED) {
      Browse(box);
    } else {
      continue;
    }
    result = TRUE;
    return true;
  }
  return false;
}

void CDevProgDlg::ValidateFilePaths() {
  const ui::FileCheck check = ui::ValidateFilePaths(config_, portsConfigured_);
  for (size_t i = 0; i < kTargetCount; ++i) {
    if (check.firmwareText[i]) firmwareBoxes_[i]->SetTextColor(*check.firmwareText[i]);
  }
  driverBox_->SetTextColor(check.driverText);
  filesChecked_(check.startAllowed);
}

void CDevProgDlg::Browse(CRoEdit& box) {
  const std::optional<std::wstring> chosen = ChooseFirmwareFile(hwnd(), box.text());
  if (!chosen) return;
  box.SetText(*chosen);
  ShowPathPart(box);
}

void CDevProgDlg::SetBrowseEnabled(bool enabled) {
  for (const PathRow& row : PathRows()) EnableWindow(item(row.browseId), enabled);
}

void CDevProgDlg::SetTargetBackground(size_t target, ui::Rgb color) {
  firmwareBoxes_.at(target)->SetBackgroundColor(color);
}

}  // namespace vexa::win32
