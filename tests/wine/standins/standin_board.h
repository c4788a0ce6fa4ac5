#pragma once

#include <memory>

#include "sim/board.h"
#include "util/clock.h"

namespace vexa::standin {

// The board a stand-in driver answers from, loaded once from the board file that
// VEXA_STANDIN_BOARD names; null when the variable is unset or the file is refused.
sim::Board* SharedBoard();

// The fault switch: VEXA_STANDIN_FAIL_AFTER=N lets N transfers through, then every later
// transfer fails as a driver call that broke down halfway through an update would.
bool TransferFails();

}  // namespace vexa::standin
