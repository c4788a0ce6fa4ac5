#include "testing/comparable_log.h"

#include <regex>
#include <sstream>

namespace vexa::testing {

std::vector<std::string> ComparableLogLines(const std::string& log) {
  static const std::regex date(R"(^\w{3} \w{3} +\d+ \d\d:\d\d:\d\d \d{4}\r?$)");
  static const std::regex stamp(R"(^\[\d\d:\d\d:\d\d\.\d{3}\] )");
  std::vector<std::string> lines;
  std::istringstream in(log);
  bool inReport = false;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("Graphics adapter initialization:")) {
      inReport = true;
      lines.push_back("<adapter report>");
      continue;
    }
    if (inReport && (line.starts_with(" ") || line.starts_with("Auto scan") ||
                     line.starts_with("Simulated board,"))) {
      continue;
    }
    inReport = false;
    if (std::regex_search(line, date)) continue;
    lines.push_back(std::regex_replace(line, stamp, ""));
  }
  return lines;
}

}  // namespace vexa::testing
