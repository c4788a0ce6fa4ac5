#include "frontends/model/main_layout.h"

#include "frontends/model/dialog_templates.h"

namespace vexa::ui {

void ArrangeMainLayout(ControlLayout& dialog, int panelBottom) {
  int y = panelBottom + 5;
  dialog.rect(main_ids::kProgress).y = y;
  y += dialog.rect(main_ids::kProgress).height + 7;
  dialog.rect(main_ids::kOutputLabel).y = y;
  y += dialog.rect(main_ids::kOutputLabel).height + 7;
  dialog.rect(main_ids::kOutputBox).y = y;
  y += dialog.rect(main_ids::kOutputBox).height + 8;
  for (int id : {main_ids::kButtonFrame, main_ids::kGetFwVersion, main_ids::kStart}) {
    dialog.rect(id).y = y;
  }
  // The window, frame included, ends two button heights and 13 pixels below the button row.
  const int windowHeight = y + 2 * dialog.rect(main_ids::kStart).height + 13;
  dialog.height = windowHeight - kWindowsDialogFrameHeight;
}

}  // namespace vexa::ui
