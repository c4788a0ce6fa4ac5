#include "frontends/model/background_job.h"

#include <system_error>

namespace vexa::ui {

bool BackgroundJob::Start(std::function<void()> work) {
  if (InProgress()) return false;
  ended_.store(false);
  try {
    thread_ = std::thread([this, work] {
      work();
      ended_.store(true);
    });
  } catch (const std::system_error&) {
    work();
    ended_.store(true);
    ranInline_ = true;
  }
  return true;
}

void BackgroundJob::Finish() {
  if (thread_.joinable()) thread_.join();
  ranInline_ = false;
}

}  // namespace vexa::ui
