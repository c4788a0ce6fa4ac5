#include "util/thread_priority.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace vexa {

void RaiseCurrentThreadPriority() {
#ifdef _WIN32
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
#else
  // Linux keeps a nice value per thread; lowering it needs privileges, so failure is expected
  // and harmless for an ordinary user.
  static constexpr int kAboveNormalNice = -5;
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), kAboveNormalNice);
#endif
}

}  // namespace vexa
