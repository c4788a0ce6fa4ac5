#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "transport/backends/linux/linux_system.h"

namespace vexa {

// One DisplayPort connector with a DP AUX device node (an MST port has a node of its own).
struct AuxPort {
  // N of drm_dp_auxN; the port's id is N + 1, so that 0 stays "no port".
  int auxIndex = 0;
  // The AUX device node, e.g. "/dev/drm_dp_aux0" under the dev root.
  std::string auxNode;
  // "card0 (i915)": the card the connector belongs to, and the card's driver when known.
  std::string adapterName;
  // "DP-1": the connector without its card prefix.
  std::string portName;
  // The I2C adapter of the connector (i2c-N under its sysfs directory) and its device node;
  // the node exists only while the i2c-dev module is loaded.
  std::optional<int> i2cBus;
  std::string i2cNode;

  uint32_t id() const { return static_cast<uint32_t>(auxIndex) + 1; }
};

// The AUX device nodes the kernel lists under the sysfs root, in node order, each with its
// connector, card and I2C adapter.
std::vector<AuxPort> FindAuxPorts(LinuxSystem& system, const LinuxRoots& roots);

// Why no AUX node exists, for the user: the proprietary NVIDIA driver creates none, otherwise
// the kernel lacks the AUX character-device option.
std::string NoAuxNodeText(LinuxSystem& system, const LinuxRoots& roots);

}  // namespace vexa
