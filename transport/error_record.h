#pragma once

#include <cstdint>
#include <string>

namespace vexa {

// A backend's error record: the vendor's error code (0 = none) and a text. The first error
// wins: once a non-zero code is held, later records are ignored until the record is reset.
class ErrorRecord {
 public:
  // Stores code and text only while the held code is 0. A record with code 0 carries just a
  // text and stays replaceable by the next one.
  void Record(int32_t code, std::string text);
  // Stores code alone, the text kept, while the held code is 0.
  void RecordCode(int32_t code);
  // Code 0 and an empty text.
  void Clear();
  // Code 0, text kept: the next Record replaces the text.
  void ResetCode();

  int32_t code() const { return code_; }
  const std::string& text() const { return text_; }

 private:
  int32_t code_ = 0;
  std::string text_;
};

}  // namespace vexa
