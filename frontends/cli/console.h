#pragma once

#include <string>
#include <string_view>

namespace vexa::cli {

// The tool's texts carry "\r\n" line ends, as the log file keeps them; a console on this
// system wants its own line end.
std::string ConsoleText(std::string_view text);

// Prints text to stdout / an error line to stderr, with console line ends.
void PrintOut(std::string_view text);
void PrintError(std::string_view line);

// The dialog's adapter texts keep its exact spacing (an empty port status leaves a trailing or
// double blank); on a console each run of blanks becomes one and none ends a line.
std::string SingleSpaced(std::string_view text);

bool StdinIsTerminal();
bool StderrIsTerminal();

}  // namespace vexa::cli
