#include "util/byte_source.h"

#include <filesystem>

#include "util/utf8_path.h"

namespace vexa {

bool ReadFully(ByteSource& source, std::span<uint8_t> out) {
  size_t done = 0;
  for (int call = 0; call < kMaxReadCalls && done < out.size(); ++call) {
    done += source.Read(out.subspan(done));
  }
  return done == out.size();
}

FileByteSource::FileByteSource(const std::string& path) {
  const std::filesystem::path fsPath = PathFromUtf8(path);
  // Only regular files are read: a directory opens as a stream on some systems, and opening a
  // named pipe or a device would wait for a writer that may never come.
  std::error_code error;
  if (std::filesystem::is_regular_file(fsPath, error)) stream_.open(fsPath, std::ios::binary);
}

uint64_t FileByteSource::Length() {
  stream_.seekg(0, std::ios::end);
  const std::streamoff length = stream_.tellg();
  stream_.seekg(0, std::ios::beg);
  return length < 0 ? 0 : static_cast<uint64_t>(length);
}

size_t FileByteSource::Read(std::span<uint8_t> out) {
  stream_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
  const std::streamsize got = stream_.gcount();
  stream_.clear();  // a short read sets eof/fail; the next call may still deliver
  return static_cast<size_t>(got);
}

}  // namespace vexa
