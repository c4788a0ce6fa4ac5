#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vexa {

// The engine's message log: the worker appends, the user interface's timer copies entries out
// by index while the run goes on. Appending may grow the storage while the reader copies, so
// every access holds the mutex, and nothing else is done while it is held.
class IspLog {
 public:
  void Append(std::string entry);
  // Copy of the entry at index, or nothing when the log does not hold that many entries yet.
  std::optional<std::string> EntryAt(size_t index) const;
  size_t Count() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> entries_;
};

}  // namespace vexa
