#pragma once

namespace vexa {

// Raises the calling thread above normal priority where the platform allows it; elsewhere (an
// unprivileged process on a POSIX system) the thread keeps its priority.
void RaiseCurrentThreadPriority();

}  // namespace vexa
