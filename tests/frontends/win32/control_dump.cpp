#include "tests/frontends/win32/control_dump.h"

#include <fstream>
#include <sstream>

namespace vexa::win32check {

namespace {

// The quoted text of a dump line, its escapes undone.
bool ReadQuoted(std::istream& in, std::string& text) {
  in >> std::ws;
  if (in.get() != '"') return false;
  for (int c = in.get(); c != EOF; c = in.get()) {
    if (c == '"') return true;
    if (c == '\\') {
      const int escaped = in.get();
      text += escaped == 'r' ? '\r' : escaped == 'n' ? '\n' : static_cast<char>(escaped);
    } else {
      text += static_cast<char>(c);
    }
  }
  return false;
}

// "#RRGGBB", or "-" for none.
bool ReadColor(std::istream& in, std::optional<ui::Rgb>& color) {
  std::string word;
  in >> word;
  if (word == "-") return true;
  if (word.size() != 7 || word[0] != '#') return false;
  const unsigned long value = std::stoul(word.substr(1), nullptr, 16);
  color = ui::Rgb{static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
                  static_cast<uint8_t>(value)};
  return true;
}

}  // namespace

std::optional<ControlDump> ReadControlDump(const std::string& path, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read " + path;
    return std::nullopt;
  }
  ControlDump dump;
  std::string line;
  int number = 0;
  while (std::getline(file, line)) {
    ++number;
    std::istringstream in(line);
    std::string where;
    in >> where;
    if (where == "base-units") {
      in >> dump.units.x >> dump.units.y;
      continue;
    }
    if (where == "client") continue;
    DumpedControl control;
    int id = 0;
    int visible = 0;
    int enabled = 0;
    in >> control.className >> id;
    const bool ok = ReadQuoted(in, control.text) &&
                    (in >> control.rect.x >> control.rect.y >> control.rect.width >>
                     control.rect.height >> visible >> enabled) &&
                    ReadColor(in, control.textColor) && ReadColor(in, control.background);
    if (!ok || (where != "main" && where != "panel")) {
      error = path + ":" + std::to_string(number) + ": malformed line";
      return std::nullopt;
    }
    control.visible = visible != 0;
    control.enabled = enabled != 0;
    dump.controls[{where == "panel", id}] = control;
  }
  if (dump.units.x <= 0 || dump.units.y <= 0) {
    error = path + ": no base units";
    return std::nullopt;
  }
  return dump;
}

}  // namespace vexa::win32check
