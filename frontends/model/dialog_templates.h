#pragma once

#include <span>

#include "frontends/model/dialog_units.h"

namespace vexa::ui {

enum class ControlKind {
  kStatic,
  kEdit,
  kMultiLineEdit,
  kButton,
  kDefaultButton,
  kGroupBox,
  kProgressBar,
  // A black frame without text.
  kFrame,
  kIcon,
};

// One control of a dialog template: the window the user sees is built from these, so the
// arithmetic that moves rows and stacks controls works on the same numbers.
struct ControlTemplate {
  int id = 0;
  ControlKind kind = ControlKind::kStatic;
  const char* text = "";
  DluRect rect;
  bool hidden = false;
  // Read-only by its template style, whatever the program sets later.
  bool readOnly = false;
};

struct DialogTemplate {
  const char* caption = "";
  int width = 0;
  int height = 0;
  std::span<const ControlTemplate> controls;
};

// The main dialog.
namespace main_ids {
inline constexpr int kAdapterLabel = 1059;
inline constexpr int kAdapterBox = 1001;
inline constexpr int kStatusLabel = 1060;
inline constexpr int kStatusBox = 1003;
inline constexpr int kRefresh = 1056;
inline constexpr int kProgress = 1021;
inline constexpr int kOutputLabel = 1022;
inline constexpr int kOutputBox = 1023;
inline constexpr int kButtonFrame = 1070;
inline constexpr int kGetFwVersion = 1033;
inline constexpr int kStart = 1031;
}  // namespace main_ids
const DialogTemplate& MainDialogTemplate();
// Where the panel sits in the main dialog.
inline constexpr int kPanelTopDlu = 20;

// The file panel: the driver row and one firmware row per target.
namespace file_ids {
inline constexpr int kGroup = 1002;
inline constexpr int kDriverLabel = 1007;
inline constexpr int kDriverBox = 1008;
inline constexpr int kDriverBrowse = 1009;
}  // namespace file_ids
struct FileRowIds {
  int label;
  int box;
  int browse;
};
inline constexpr FileRowIds kFirmwareRows[] = {
    {1010, 1011, 1012}, {1024, 1025, 1026}, {1027, 1028, 1029}};
const DialogTemplate& FilePanelTemplate();

// The device panel: one row per target, on-board version ==> new version.
struct DeviceRowIds {
  int label;
  int onBoard;
  int arrow;
  int newVersion;
};
inline constexpr DeviceRowIds kDeviceRows[] = {
    {1065, 1068, 1064, 1073}, {1066, 1069, 1071, 1074}, {1067, 1070, 1072, 1075}};
const DialogTemplate& DevicePanelTemplate();

// The version panel: the host's current and new firmware.
namespace version_ids {
inline constexpr int kCurrentLabel = 1069;
inline constexpr int kNewLabel = 1070;
inline constexpr int kCurrentValue = 1071;
inline constexpr int kNewValue = 1072;
}  // namespace version_ids
const DialogTemplate& VersionPanelTemplate();

namespace about_ids {
inline constexpr int kOk = 1;
inline constexpr int kIcon = 2;
inline constexpr int kVersionText = 1060;
inline constexpr int kTagline = 3;
}  // namespace about_ids
const DialogTemplate& AboutTemplate();

}  // namespace vexa::ui
