#include "frontends/win32/window_capture.h"

#include <cstdio>
#include <fstream>
#include <vector>

#include "frontends/win32/png_file.h"
#include "util/utf8_path.h"
#include "util/windows_text.h"

namespace vexa::win32 {

namespace {

std::string ClassOf(HWND control) {
  wchar_t name[64] = {};
  GetClassNameW(control, name, 64);
  return Utf8FromWide(name);
}

std::string TextOf(HWND control) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Utf8FromWide(text);
}

// The text in double quotes, with backslash, quote and line ends escaped.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\r') {
      quoted += "\\r";
    } else if (c == '\n') {
      quoted += "\\n";
    } else {
      if (c == '"' || c == '\\') quoted += '\\';
      quoted += c;
    }
  }
  return quoted + '"';
}

std::string HexColor(COLORREF color) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(color), GetGValue(color),
                GetBValue(color));
  return text;
}

// The colours the control paints with: its parent's answer to the colour message the
// control itself sends before painting, taken on a memory device context.
std::string ColorsOf(HWND control, const std::string& className) {
  UINT message = 0;
  const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  if (className == "Edit") {
    const bool readOnly = (style & ES_READONLY) != 0 || !IsWindowEnabled(control);
    message = readOnly ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
  } else if (className == "Static") {
    message = WM_CTLCOLORSTATIC;
  } else {
    return "- -";
  }
  HDC dc = CreateCompatibleDC(nullptr);
  SendMessageW(GetParent(control), message, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(control));
  const std::string colors = HexColor(GetTextColor(dc)) + " " + HexColor(GetBkColor(dc));
  DeleteDC(dc);
  return colors;
}

struct DumpState {
  HWND window;
  std::ofstream* out;
};

BOOL CALLBACK DumpOne(HWND control, LPARAM param) {
  const auto& state = *reinterpret_cast<DumpState*>(param);
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, state.window, reinterpret_cast<POINT*>(&rect), 2);
  const std::string className = ClassOf(control);
  const bool inPanel = GetParent(control) != state.window;
  *state.out << (inPanel ? "panel " : "main ") << className << ' ' << GetDlgCtrlID(control) << ' '
             << Quoted(TextOf(control)) << ' ' << rect.left << ' ' << rect.top << ' '
             << rect.right - rect.left << ' ' << rect.bottom - rect.top << ' '
             << (IsWindowVisible(control) ? 1 : 0) << ' ' << (IsWindowEnabled(control) ? 1 : 0)
             << ' ' << ColorsOf(control, className) << '\n';
  return TRUE;
}

}  // namespace

bool DumpControls(HWND window, const std::string& path) {
  std::ofstream out(PathFromUtf8(path), std::ios::binary);
  RECT units{0, 0, 4, 8};
  MapDialogRect(window, &units);
  RECT client;
  GetClientRect(window, &client);
  out << "base-units " << units.right << ' ' << units.bottom << '\n';
  out << "client " << client.right << ' ' << client.bottom << '\n';
  DumpState state{window, &out};
  EnumChildWindows(window, DumpOne, reinterpret_cast<LPARAM>(&state));
  return static_cast<bool>(out);
}

bool SaveClientPicture(HWND window, const std::string& path) {
  RECT client;
  GetClientRect(window, &client);
  const int width = client.right;
  const int height = client.bottom;
  if (width <= 0 || height <= 0) return false;
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);

  HDC windowDc = GetDC(window);
  HDC memoryDc = CreateCompatibleDC(windowDc);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memoryDc, bitmap);
  const bool copied = BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY) != 0;
  GdiFlush();

  std::vector<uint8_t> rgb;
  rgb.reserve(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  const auto* pixels = static_cast<const uint8_t*>(bits);
  for (size_t i = 0; copied && i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i) {
    // Blue, green, red, unused.
    rgb.insert(rgb.end(), {pixels[i * 4 + 2], pixels[i * 4 + 1], pixels[i * 4]});
  }
  SelectObject(memoryDc, previous);
  DeleteObject(bitmap);
  DeleteDC(memoryDc);
  ReleaseDC(window, windowDc);
  return copied && WritePng(path, width, height, rgb);
}

}  // namespace vexa::win32
