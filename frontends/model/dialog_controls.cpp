#include "frontends/model/dialog_controls.h"

namespace vexa::ui {

void DialogControls::AdapterDetected(bool connected) {
  adapterReady_ = connected;
  start_ = connected;
  getFwVersion_ = connected;
}

void DialogControls::FilesChecked(bool startAllowed) {
  if (running_ || !adapterReady_) return;
  start_ = startAllowed;
}

void DialogControls::RunEnded() {
  running_ = false;
  // The run could only start with these usable, and it leaves them so.
  start_ = true;
  getFwVersion_ = true;
}

}  // namespace vexa::ui
