#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "transport/backends/linux/linux_system.h"

namespace vexa::testing {

// One DisplayPort connector of the fake tree.
struct FakeConnector {
  std::string card = "card0";
  // The connector's name without its card ("DP-1").
  std::string name = "DP-1";
  // N of its drm_dp_auxN node.
  int auxIndex = 0;
  // The AUX channel's name as the driver gives it.
  std::string auxName = "DPDDC-A";
  // Its I2C adapter's bus number; none for a connector without one.
  std::optional<int> i2cBus = std::nullopt;
  // Whether /dev holds the nodes (i2c-dev loaded, the AUX node not removed).
  bool i2cNode = true;
  bool auxNode = true;
};

// A sysfs and /dev tree under root, laid out as Linux kernels lay them out: the card's PCI
// device with its driver link, each connector under the card with its drm_dp_auxN and i2c-N
// children, the class and bus links that point at them, and device nodes in /dev. An AUX node
// is a regular 1 MiB file, read and written at the DPCD address.
class FakeDrmTree {
 public:
  explicit FakeDrmTree(std::filesystem::path root);

  // A card with its driver ("i915"); connectors of a card not added have no driver link.
  void AddCard(const std::string& card, const std::string& driver);
  void AddConnector(const FakeConnector& connector);
  // Marks the proprietary NVIDIA driver as loaded.
  void LoadNvidiaModule();

  LinuxRoots roots() const;
  std::string DevPath(const std::string& node) const;

 private:
  std::filesystem::path CardDir(const std::string& card) const;

  std::filesystem::path root_;
  std::filesystem::path sys_;
  std::filesystem::path dev_;
};

}  // namespace vexa::testing
