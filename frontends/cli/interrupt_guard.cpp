#include "frontends/cli/interrupt_guard.h"

#include <atomic>
#include <csignal>

namespace vexa::cli {

namespace {

// Written by the signal handler: a lock-free atomic is the only state it may touch.
std::atomic<bool> interrupted{false};

extern "C" void NoteInterrupt(int) {
  interrupted.store(true);
}

}  // namespace

InterruptGuard::InterruptGuard() {
  std::signal(SIGINT, NoteInterrupt);
}

InterruptGuard::~InterruptGuard() {
  std::signal(SIGINT, SIG_DFL);
}

bool InterruptGuard::TakeInterrupt() {
  return interrupted.exchange(false);
}

}  // namespace vexa::cli
