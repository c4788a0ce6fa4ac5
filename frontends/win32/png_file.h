#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexa::win32 {

// Writes an 8-bit RGB picture (rows top to bottom, three bytes per pixel) as a PNG file with a
// simple compression that needs no image library. path is UTF-8. False when the file cannot
// be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);

}  // namespace vexa::win32
