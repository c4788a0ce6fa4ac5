#pragma once

#include <string>
#include <vector>

namespace vexa::testing {

// The lines of a log file without what differs between two transports serving the same board,
// and between runs: the wall-clock dates, the protocol-time stamps (reading a DDC reply whole
// takes other AUX transactions than reading it in parts) and the adapter report's lines, which
// name the backend (one "<adapter report>" line stands in for each report).
std::vector<std::string> ComparableLogLines(const std::string& log);

}  // namespace vexa::testing
