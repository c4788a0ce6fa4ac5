#pragma once

#include <windows.h>

#include <string>

namespace vexa::win32 {

// Writes the client area of a shown window, as it is on the screen now, to a PNG file (path
// UTF-8). False when the picture cannot be taken or written.
bool SaveClientPicture(HWND window, const std::string& path);

// Writes one line per control of the window and its panels: class, id, text, rectangle in
// pixels of the window's client area, visible, enabled, text and background colour; the
// first line gives the dialog's base units, so a reader can convert to dialog units. path is
// UTF-8. False when the file cannot be written.
bool DumpControls(HWND window, const std::string& path);

}  // namespace vexa::win32
