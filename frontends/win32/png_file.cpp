#include "frontends/win32/png_file.h"

#include <fstream>

#include "util/utf8_path.h"

namespace vexa::win32 {

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBigEndian(Bytes& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(Bytes& out, const char (&type)[5], const Bytes& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBigEndian(out, Crc32(out.data() + start, out.size() - start));
}

// Deflate's bit stream: values least significant bit first, Huffman codes most significant
// bit first.
class BitWriter {
 public:
  explicit BitWriter(Bytes& out) : out_(out) {}
  void Bits(uint32_t value, int count) {
    for (int i = 0; i < count; ++i) Bit((value >> i) & 1u);
  }
  void Code(uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bit((code >> i) & 1u);
  }
  void Flush() {
    if (used_ > 0) out_.push_back(current_);
    current_ = 0;
    used_ = 0;
  }

 private:
  void Bit(uint32_t bit) {
    current_ = static_cast<uint8_t>(current_ | (bit << used_));
    if (++used_ == 8) Flush();
  }
  Bytes& out_;
  uint8_t current_ = 0;
  int used_ = 0;
};

// A symbol of the fixed literal/length Huffman code.
void PutSymbol(BitWriter& bits, int symbol) {
  if (symbol < 144) {
    bits.Code(0x30 + static_cast<uint32_t>(symbol), 8);
  } else if (symbol < 256) {
    bits.Code(0x190 + static_cast<uint32_t>(symbol - 144), 9);
  } else if (symbol < 280) {
    bits.Code(static_cast<uint32_t>(symbol - 256), 7);
  } else {
    bits.Code(0xC0 + static_cast<uint32_t>(symbol - 280), 8);
  }
}

// A repeat of the previous byte, 3 to 258 times: a length code and distance 1.
void PutRepeat(BitWriter& bits, int length) {
  static constexpr int kBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static constexpr int kExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                   2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  int code = 28;
  while (kBase[code] > length) --code;
  PutSymbol(bits, 257 + code);
  bits.Bits(static_cast<uint32_t>(length - kBase[code]), kExtra[code]);
  bits.Code(0, 5);  // distance code 0: one byte back
}

// A zlib stream of one fixed-Huffman deflate block that codes runs of a repeated byte, which
// is most of a dialog's picture once each row is stored as its difference to the row above.
Bytes Zlib(const Bytes& raw) {
  constexpr int kMaxRepeat = 258;
  Bytes out = {0x78, 0x01};
  BitWriter bits(out);
  bits.Bits(1, 1);  // the last block
  bits.Bits(1, 2);  // fixed Huffman codes
  for (size_t i = 0; i < raw.size();) {
    size_t run = 0;
    while (i > 0 && i + run < raw.size() && run < kMaxRepeat && raw[i + run] == raw[i - 1]) ++run;
    if (run >= 3) {
      PutRepeat(bits, static_cast<int>(run));
      i += run;
    } else {
      PutSymbol(bits, raw[i]);
      ++i;
    }
  }
  PutSymbol(bits, 256);  // end of block
  bits.Flush();
  uint32_t a = 1;
  uint32_t b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(out, (b << 16) | a);
  return out;
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const Bytes& rgb) {
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  Bytes raw;
  raw.reserve((rowBytes + 1) * static_cast<size_t>(height));
  for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
    raw.push_back(2);  // each byte as its difference to the byte above
    for (size_t x = 0; x < rowBytes; ++x) {
      const uint8_t above = y == 0 ? 0 : rgb[(y - 1) * rowBytes + x];
      raw.push_back(static_cast<uint8_t>(rgb[y * rowBytes + x] - above));
    }
  }
  Bytes header;
  PutBigEndian(header, static_cast<uint32_t>(width));
  PutBigEndian(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace

  Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", Zlib(raw));
  PutChunk(file, "IEND", {});
  std::ofstream out(PathFromUtf8(path), std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out);
}

}  // namespace vexa::win32
