#include "frontends/model/dialog_templates.h"

namespace vexa::ui {

namespace {

using K = ControlKind;

constexpr ControlTemplate kMainControls[] = {
    {main_ids::kAdapterLabel, K::kStatic, "Graphics Adapter:", {6, 8, 60, 8}},
    {main_ids::kAdapterBox, K::kEdit, "", {69, 7, 142, 12}, false, true},
    {main_ids::kStatusLabel, K::kStatic, "Status:", {218, 8, 24, 8}},
    {main_ids::kStatusBox, K::kEdit, "", {245, 7, 71, 12}, false, true},
    {main_ids::kRefresh, K::kButton, "Refresh", {322, 7, 35, 12}},
    {main_ids::kProgress, K::kProgressBar, "", {6, 129, 351, 15}},
    {main_ids::kOutputLabel, K::kStatic, "Output/Status:", {6, 147, 50, 8}},
    {main_ids::kOutputBox, K::kMultiLineEdit, "", {6, 157, 351, 66}},
    {main_ids::kButtonFrame, K::kFrame, "", {6, 225, 13, 11}, true},
    {main_ids::kGetFwVersion, K::kButton, "Get FW Version", {230, 226, 60, 20}},
    {main_ids::kStart, K::kDefaultButton, "Start", {297, 226, 60, 20}},
};

constexpr ControlTemplate kFileControls[] = {
    {file_ids::kGroup, K::kGroupBox, "ISP File Setup  ", {6, 4, 351, 106}},
    {file_ids::kDriverLabel, K::kStatic, "Driver File:", {13, 23, 45, 8}},
    {file_ids::kDriverBox, K::kEdit, "", {61, 21, 242, 14}},
    {file_ids::kDriverBrowse, K::kButton, "Browse", {309, 19, 43, 18}},
    {kFirmwareRows[0].label, K::kStatic, "FW File:", {13, 47, 47, 8}},
    {kFirmwareRows[0].box, K::kEdit, "", {61, 45, 242, 14}},
    {kFirmwareRows[0].browse, K::kButton, "Browse", {309, 43, 43, 18}},
    {kFirmwareRows[1].label, K::kStatic, "FW File @P1:", {13, 69, 46, 8}, true},
    {kFirmwareRows[1].box, K::kEdit, "", {61, 67, 242, 14}, true},
    {kFirmwareRows[1].browse, K::kButton, "Browse", {309, 65, 43, 18}, true},
    {kFirmwareRows[2].label, K::kStatic, "FW File @P2:", {13, 91, 46, 8}, true},
    {kFirmwareRows[2].box, K::kEdit, "", {61, 89, 242, 14}, true},
    {kFirmwareRows[2].browse, K::kButton, "Browse", {309, 87, 43, 18}, true},
};

constexpr ControlTemplate kDeviceControls[] = {
    {kDeviceRows[0].label, K::kStatic, "Host Device:", {7, 6, 42, 10}},
    {kDeviceRows[0].onBoard, K::kEdit, "", {50, 5, 161, 12}, false, true},
    {kDeviceRows[0].arrow, K::kStatic, "==>", {214, 7, 16, 8}},
    {kDeviceRows[0].newVersion, K::kEdit, "", {232, 5, 125, 12}, false, true},
    {kDeviceRows[1].label, K::kStatic, "Dev Port#1:", {7, 21, 42, 10}, true},
    {kDeviceRows[1].onBoard, K::kEdit, "", {51, 20, 161, 12}, true, true},
    {kDeviceRows[1].arrow, K::kStatic, "==>", {214, 22, 16, 8}, true},
    {kDeviceRows[1].newVersion, K::kEdit, "", {232, 20, 125, 12}, true, true},
    {kDeviceRows[2].label, K::kStatic, "Dev Port#2:", {7, 36, 42, 11}, true},
    {kDeviceRows[2].onBoard, K::kEdit, "", {50, 35, 161, 12}, true, true},
    {kDeviceRows[2].arrow, K::kStatic, "==>", {214, 37, 16, 8}, true},
    {kDeviceRows[2].newVersion, K::kEdit, "", {232, 35, 125, 12}, true, true},
};

constexpr ControlTemplate kVersionControls[] = {
    {version_ids::kCurrentLabel, K::kStatic, "Current F/W version:", {7, 6, 76, 10}},
    {version_ids::kNewLabel, K::kStatic, "New F/W version:", {7, 20, 65, 10}},
    {version_ids::kCurrentValue, K::kStatic, "v11.22.33", {84, 6, 273, 10}},
    {version_ids::kNewValue, K::kStatic, "v55.66.77", {84, 20, 273, 10}},
};

constexpr ControlTemplate kAboutControls[] = {
    {about_ids::kIcon, K::kIcon, "", {11, 17, 20, 20}},
    {about_ids::kVersionText, K::kStatic, "Tool version", {40, 10, 119, 21}},
    {about_ids::kTagline, K::kStatic, "Firmware update via DP AUX", {40, 48, 119, 8}},
    {about_ids::kOk, K::kDefaultButton, "OK", {178, 7, 50, 16}},
};

}  // namespace

const DialogTemplate& MainDialogTemplate() {
  static constexpr DialogTemplate kTemplate{"Korvane Travik Tool", 364, 249, kMainControls};
  return kTemplate;
}

const DialogTemplate& FilePanelTemplate() {
  static constexpr DialogTemplate kTemplate{"", 364, 114, kFileControls};
  return kTemplate;
}

const DialogTemplate& DevicePanelTemplate() {
  static constexpr DialogTemplate kTemplate{"", 364, 51, kDeviceControls};
  return kTemplate;
}

const DialogTemplate& VersionPanelTemplate() {
  static constexpr DialogTemplate kTemplate{"", 364, 40, kVersionControls};
  return kTemplate;
}

const DialogTemplate& AboutTemplate() {
  static constexpr DialogTemplate kTemplate{"About Travik Tool", 235, 66, kAboutControls};
  return kTemplate;
}

}  // namespace vexa::ui
