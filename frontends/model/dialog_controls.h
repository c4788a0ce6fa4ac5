#pragma once

namespace vexa::ui {

// Which of the main dialog's controls may be used, following adapter detection, the file
// panel's check, the one-step prompt and runs. During a run everything that could start
// another operation is locked, and the dialog refuses to close.
class DialogControls {
 public:
  // A detection that connected enables "Start" and "Get FW Version", whatever the file panel
  // said last; any other result disables both.
  void AdapterDetected(bool connected);
  // The file panel's verdict on "Start"; it counts only after a detection that connected,
  // and not during a run, so that editing a path cannot start a second run.
  void FilesChecked(bool startAllowed);
  // The one-step prompt found nothing it would update.
  void UpdateNotAllowed() { start_ = false; }
  void RunStarted() { running_ = true; }
  void RunEnded();

  bool running() const { return running_; }
  bool startEnabled() const { return start_ && !running_; }
  bool getFwVersionEnabled() const { return getFwVersion_ && !running_; }
  bool refreshEnabled() const { return !running_; }
  bool browseEnabled() const { return !running_; }
  // The exit guard: closing ends the program, which must not happen while a run uses the
  // chips (it would leave them half programmed).
  bool closeAllowed() const { return !running_; }

 private:
  bool adapterReady_ = false;
  bool running_ = false;
  bool start_ = false;
  bool getFwVersion_ = false;
};

}  // namespace vexa::ui
