#pragma once

namespace vexa::ui {

// Which of the main dialog's controls may be used, following adapter detection, the file
// panel's check, the one-step prompt, runs and background jobs. During a run or a job
// everything that could start another operation is locked; during a run the dialog also
// refuses to close (a job only delays the close until its query has returned).
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
  // A detection or version query runs on a worker (ToolSession's jobs).
  void JobStarted() { jobRunning_ = true; }
  void JobEnded() { jobRunning_ = false; }

  bool running() const { return running_; }
  bool jobRunning() const { return jobRunning_; }
  bool startEnabled() const { return start_ && !locked(); }
  bool getFwVersionEnabled() const { return getFwVersion_ && !locked(); }
  bool refreshEnabled() const { return !locked(); }
  bool browseEnabled() const { return !locked(); }
  // The exit guard: closing ends the program, which must not happen while a run uses the
  // chips (it would leave them half programmed).
  bool closeAllowed() const { return !running_; }

 private:
  bool locked() const { return running_ || jobRunning_; }

  bool adapterReady_ = false;
  bool running_ = false;
  bool jobRunning_ = false;
  bool start_ = false;
  bool getFwVersion_ = false;
};

}  // namespace vexa::ui
