#pragma once

#include <string>
#include <string_view>

namespace vexa {

// Text files written by people on this tool's systems come in several encodings; inside the
// tool text is UTF-8. DecodeTextFile takes a whole file's bytes: UTF-16 little- or big-endian
// after its byte-order mark, UTF-8 with or without one, and otherwise (bytes that are not
// valid UTF-8) the system's ANSI code page (DecodeAnsi). Invalid UTF-16 (a lone surrogate, an
// odd last byte) becomes U+FFFD.
std::string DecodeTextFile(std::string_view bytes);

// Text in the system's ANSI code page, as drivers and older editors write it: on Windows the
// active code page, elsewhere Latin-1 (where every byte is a character).
std::string DecodeAnsi(std::string_view bytes);

// True when bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

}  // namespace vexa
