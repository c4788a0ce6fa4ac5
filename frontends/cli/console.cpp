#include "frontends/cli/console.h"

#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#define VEXA_ISATTY _isatty
#define VEXA_FILENO _fileno
#else
#include <unistd.h>
#define VEXA_ISATTY isatty
#define VEXA_FILENO fileno
#endif

namespace vexa::cli {

std::string ConsoleText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

void PrintOut(std::string_view text) {
  std::cout << ConsoleText(text) << std::flush;
}

void PrintError(std::string_view line) {
  std::string text = ConsoleText(line);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  std::cerr << text << '\n' << std::flush;
}

std::string SingleSpaced(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    if (c == '\n' && !out.empty() && out.back() == ' ') out.pop_back();
    out += c;
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

bool StdinIsTerminal() {
  return VEXA_ISATTY(VEXA_FILENO(stdin)) != 0;
}
bool StderrIsTerminal() {
  return VEXA_ISATTY(VEXA_FILENO(stderr)) != 0;
}

}  // namespace vexa::cli
