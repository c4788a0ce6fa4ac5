#include "engine/isp_log.h"

namespace vexa {

void IspLog::Append(std::string entry) {
  std::lock_guard lock(mutex_);
  entries_.push_back(std::move(entry));
}

std::optional<std::string> IspLog::EntryAt(size_t index) const {
  std::lock_guard lock(mutex_);
  if (index >= entries_.size()) return std::nullopt;
  return entries_[index];
}

size_t IspLog::Count() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

void IspLog::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
}

}  // namespace vexa
