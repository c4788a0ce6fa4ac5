#include "transport/error_record.h"

#include <utility>

namespace vexa {

void ErrorRecord::Record(int32_t code, std::string text) {
  if (code_ != 0) return;
  code_ = code;
  text_ = std::move(text);
}

void ErrorRecord::RecordCode(int32_t code) {
  if (code_ == 0) code_ = code;
}

void ErrorRecord::Clear() {
  code_ = 0;
  text_.clear();
}

void ErrorRecord::ResetCode() {
  code_ = 0;
}

}  // namespace vexa
