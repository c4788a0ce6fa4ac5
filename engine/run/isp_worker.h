#pragma once

#include <chrono>
#include <thread>

#include "engine/isp_context.h"

namespace vexa {

// Runs one ISP run on its own thread at above-normal priority: opens the active transport for
// that thread, runs RunIsp and closes the transport again. The caller closes the transport on
// its own thread before Start and must Wait for the worker before opening it again, so the two
// threads never use the transport at the same time.
// How long a run took, from the worker's start to the return of RunIsp: on the engine's clock
// (the protocol's time, virtual on the simulated board) and on the host's steady clock.
struct RunTimes {
  std::chrono::microseconds protocol{0};
  std::chrono::steady_clock::duration wall{0};
};

class IspWorker {
 public:
  explicit IspWorker(IspContext& ctx) : ctx_(ctx) {}
  ~IspWorker() { Wait(); }
  IspWorker(const IspWorker&) = delete;
  IspWorker& operator=(const IspWorker&) = delete;

  // Starts a run; false (and nothing started) while the previous run's thread is still alive
  // or when the system cannot create a thread.
  bool Start();
  // Joins the worker thread; returns at once when none is running.
  void Wait();
  bool Started() const { return thread_.joinable(); }
  // The last run's times; read them after Wait.
  const RunTimes& LastRunTimes() const { return times_; }

 private:
  IspContext& ctx_;
  std::thread thread_;
  RunTimes times_;
};

}  // namespace vexa
