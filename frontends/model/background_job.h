#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace vexa::ui {

// One piece of work that would keep the user-interface thread waiting (adapter detection, a
// version query), run on a worker thread. The user-interface thread starts it, looks at
// Ended() from its timer and calls Finish once it has ended; the work's results are then
// safe to read, since Finish joins the worker.
class BackgroundJob {
 public:
  BackgroundJob() = default;
  // Joins a worker still running (the dialog closing during a query).
  ~BackgroundJob() { Finish(); }
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;

  // Runs work on a worker thread. When the system has no thread to give, work runs here
  // instead, so it is never lost. False (work not run) while the last job is not finished.
  bool Start(std::function<void()> work);
  // Started and not yet finished.
  bool InProgress() const { return thread_.joinable() || ranInline_; }
  // The work has returned; polled by the user-interface thread.
  bool Ended() const { return ended_.load(); }
  // Joins the worker; blocks until the work has returned. Returns at once when nothing runs.
  void Finish();

 private:
  std::thread thread_;
  std::atomic<bool> ended_{false};
  bool ranInline_ = false;
};

}  // namespace vexa::ui
