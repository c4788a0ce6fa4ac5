#pragma once

namespace vexa::sim {

// Where one AUX transaction of an I2C-over-AUX transfer lies: a long I2C write or read is
// carried by several AUX transactions, all but the last keeping the I2C transaction open.
struct I2cPhase {
  bool starts = true;
  bool ends = true;
};

// How the board answers one AUX transaction.
enum class AuxReply {
  kAck,
  // Nothing answers: no chip listens at the I2C address, or forwarding leads to an empty
  // port.
  kNack,
  // The transport itself failed (the TransportFailAfter fault).
  kTransportFault,
};

}  // namespace vexa::sim
