#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <span>
#include <string>

namespace vexa {

// Where file bytes come from; a read may deliver fewer bytes than asked.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual size_t Read(std::span<uint8_t> out) = 0;
};

// Most read calls a file may need to deliver its content; a file that keeps returning short
// reads (it shrank, or the medium stalls) is treated as unreadable rather than waited for.
inline constexpr int kMaxReadCalls = 6;

// Fills out with at most kMaxReadCalls reads; false when the bytes did not all arrive.
bool ReadFully(ByteSource& source, std::span<uint8_t> out);

// A regular file opened for reading (anything else is not opened, see IsOpen); Read delivers
// what the stream gives.
class FileByteSource final : public ByteSource {
 public:
  // path is UTF-8.
  explicit FileByteSource(const std::string& path);
  bool IsOpen() const { return stream_.is_open(); }
  // Length of the file in bytes.
  uint64_t Length();
  size_t Read(std::span<uint8_t> out) override;

 private:
  std::ifstream stream_;
};

}  // namespace vexa
