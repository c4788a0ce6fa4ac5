// Compares a control dump of the Windows dialog, written under Wine with --dump-controls,
// with what the dialog model computes for the same configuration and board: one expectation
// for both renderers, so the Windows dialog cannot drift from the model. Geometry compares in
// the dump's own base units, since the system's dialog font sets the pixels.
//
// Usage: vexa_win32_dump_check DUMP CONFIG BOARD LOG [--run]
// The board must be in the state the dialog started from (a run programs it). Exit 0 when
// every control matches, 1 with one line per difference, 2 on a usage or file error.
#include <cstdio>
#include <string>

#include "tests/frontends/win32/control_dump.h"
#include "tests/frontends/win32/dialog_expectation.h"

namespace {

using vexa::ui::PixelRect;
using vexa::ui::Rgb;
using vexa::win32check::ControlKey;
using vexa::win32check::DumpedControl;
using vexa::win32check::ExpectedControl;

std::string NoCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

std::string RectText(const PixelRect& rect) {
  return std::to_string(rect.x) + "," + std::to_string(rect.y) + " " + std::to_string(rect.width) +
         "x" + std::to_string(rect.height);
}

std::string ColorText(const std::optional<Rgb>& color) {
  if (!color) return "none";
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", color->red, color->green, color->blue);
  return text;
}

// Prints each difference of one control; returns their number.
int Compare(const ControlKey& key, const ExpectedControl& expected, const DumpedControl& dumped) {
  int differences = 0;
  auto differ = [&](const char* what, const std::string& want, const std::string& have) {
    std::printf("%s %d: %s is %s, the model says %s\n", key.first ? "panel" : "main", key.second,
                what, have.c_str(), want.c_str());
    ++differences;
  };
  if (!(expected.rect == dumped.rect)) {
    differ("rectangle", RectText(expected.rect), RectText(dumped.rect));
  }
  if (expected.visible != dumped.visible) {
    differ("visible", std::to_string(expected.visible), std::to_string(dumped.visible));
  }
  if (expected.enabled && *expected.enabled != dumped.enabled) {
    differ("enabled", std::to_string(*expected.enabled), std::to_string(dumped.enabled));
  }
  if (expected.text && NoCarriageReturns(*expected.text) != NoCarriageReturns(dumped.text)) {
    differ("text", '"' + *expected.text + '"', '"' + dumped.text + '"');
  }
  if (expected.textColor && expected.textColor != dumped.textColor) {
    differ("text colour", ColorText(expected.textColor), ColorText(dumped.textColor));
  }
  if (expected.background && expected.background != dumped.background) {
    differ("background", ColorText(expected.background), ColorText(dumped.background));
  }
  return differences;
}

}  // namespace

int main(int argc, char** argv) {
  const bool run = argc == 6 && std::string(argv[5]) == "--run";
  if (argc != 5 && !run) {
    std::fprintf(stderr, "usage: %s DUMP CONFIG BOARD LOG [--run]\n", argv[0]);
    return 2;
  }
  std::string error;
  const auto dump = vexa::win32check::ReadControlDump(argv[1], error);
  if (!dump) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  const auto expected =
      vexa::win32check::ExpectDialog(argv[2], argv[3], argv[4], dump->units, run, error);
  if (!expected) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  int differences = 0;
  for (const auto& [key, control] : *expected) {
    const auto dumped = dump->controls.find(key);
    if (dumped == dump->controls.end()) {
      std::printf("%s %d: missing from the dump\n", key.first ? "panel" : "main", key.second);
      ++differences;
      continue;
    }
    differences += Compare(key, control, dumped->second);
  }
  std::printf("%s: %zu controls, %d differences\n", argv[1], expected->size(), differences);
  return differences == 0 ? 0 : 1;
}
