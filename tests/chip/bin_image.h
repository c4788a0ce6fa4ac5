#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

namespace vexa::testing {

// A synthetic firmware BIN image, written by positions counted back from its end like the info
// block: At(k, ...) starts at the byte k positions before the end.
class BinImage {
 public:
  explicit BinImage(size_t size, uint8_t fill = 0x5A) : bytes_(size, fill) {}
  explicit BinImage(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  BinImage& At(size_t fromEnd, std::initializer_list<uint8_t> values) {
    size_t pos = bytes_.size() - fromEnd;
    for (uint8_t value : values) bytes_[pos++] = value;
    return *this;
  }
  BinImage& Text(size_t fromEnd, std::string_view text) {
    size_t pos = bytes_.size() - fromEnd;
    for (char c : text) bytes_[pos++] = static_cast<uint8_t>(c);
    return *this;
  }
  BinImage& Head(std::initializer_list<uint8_t> values) { return At(bytes_.size(), values); }

  std::vector<uint8_t> Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// A first-family image with a boot code (version 0x1234) whose application info block says
// v1.03, revision 7; head selects the model (all 0xFF: the 4150).
inline std::vector<uint8_t> OcelinWithBootCode(BinImage base, std::initializer_list<uint8_t> head) {
  return base.Head(head)
      .At(0x2014, {0x03, 0x01, 0x07})
      .At(20, {0x34, 0x12, 0x05})
      .Text(16, "OCLN")
      .At(10, {0xBC})
      .Bytes();
}

}  // namespace vexa::testing
