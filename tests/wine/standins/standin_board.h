#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "sim/board.h"
#include "util/clock.h"

namespace vexa::standin {

// The board a stand-in driver answers from, loaded once from the board file that
// VEXA_STANDIN_BOARD names; null when the variable is unset or the file is refused.
sim::Board* SharedBoard();

// The fault switch: VEXA_STANDIN_FAIL_AFTER=N lets N transfers through, then every later
// transfer fails as a driver call that broke down halfway through an update would.
bool TransferFails();

// The I2C-over-AUX requests of a driver that names only each request's direction and whether
// it ends the I2C transaction: the transaction stays open from its first request until one
// that ends it, and a request of the other direction starts a new one.
class I2cOverAux {
 public:
  // Hands one request to the shared board: reads fill data, writes send it.
  sim::AuxReply Transfer(bool reading, bool ends, uint8_t address, std::span<uint8_t> data);

 private:
  bool open_ = false;
  bool reading_ = false;
};

}  // namespace vexa::standin
