#include "transport/backends/linux/aux_ports.h"

#include <algorithm>
#include <string_view>

namespace vexa {

namespace {

constexpr std::string_view kAuxPrefix = "drm_dp_aux";
constexpr std::string_view kI2cPrefix = "i2c-";

std::string LastComponent(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The number after prefix in name ("drm_dp_aux12" → 12); nothing when name is not that.
std::optional<int> NumberAfter(std::string_view name, std::string_view prefix) {
  if (!name.starts_with(prefix) || name.size() == prefix.size()) return std::nullopt;
  int number = 0;
  for (const char c : name.substr(prefix.size())) {
    if (c < '0' || c > '9' || number > 99999) return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return number;
}

// The connector's I2C adapter: its i2c-N child. (The connector's ddc link is not set by every
// driver.)
std::optional<int> ConnectorI2cBus(LinuxSystem& system, const std::string& connectorDir) {
  for (const std::string& entry : system.ListDirectory(connectorDir)) {
    if (const std::optional<int> bus = NumberAfter(entry, kI2cPrefix)) return bus;
  }
  return std::nullopt;
}

AuxPort DescribePort(LinuxSystem& system, const LinuxRoots& roots, int index) {
  const std::string name = std::string(kAuxPrefix) + std::to_string(index);
  const std::string classDir = roots.sysfs + "/class/drm_dp_aux_dev/" + name;
  AuxPort port;
  port.auxIndex = index;
  port.auxNode = roots.dev + "/" + name;
  // The device link names the connector, "card0-DP-1".
  const std::string connector = LastComponent(system.ReadLink(classDir + "/device"));
  const size_t dash = connector.find('-');
  const std::string card = connector.substr(0, dash);
  port.portName = dash == std::string::npos ? connector : connector.substr(dash + 1);
  const std::string driver =
      LastComponent(system.ReadLink(roots.sysfs + "/class/drm/" + card + "/device/driver"));
  port.adapterName = driver.empty() ? card : card + " (" + driver + ")";
  port.i2cBus = ConnectorI2cBus(system, classDir + "/device");
  if (port.i2cBus) port.i2cNode = roots.dev + "/i2c-" + std::to_string(*port.i2cBus);
  return port;
}

}  // namespace

std::vector<AuxPort> FindAuxPorts(LinuxSystem& system, const LinuxRoots& roots) {
  std::vector<int> indexes;
  for (const std::string& entry : system.ListDirectory(roots.sysfs + "/class/drm_dp_aux_dev")) {
    if (const std::optional<int> index = NumberAfter(entry, kAuxPrefix)) indexes.push_back(*index);
  }
  // Numeric order: drm_dp_aux10 comes after drm_dp_aux9.
  std::sort(indexes.begin(), indexes.end());
  std::vector<AuxPort> ports;
  for (const int index : indexes) ports.push_back(DescribePort(system, roots, index));
  return ports;
}

std::string NoAuxNodeText(LinuxSystem& system, const LinuxRoots& roots) {
  if (system.Exists(roots.sysfs + "/module/nvidia")) {
    return "No DP AUX device: the NVIDIA proprietary driver creates none, and the update "
           "needs native AUX, so this driver cannot be used (the nouveau driver can)";
  }
  return "No DP AUX device in " + roots.sysfs +
         "/class/drm_dp_aux_dev: the kernel needs the option DRM_DISPLAY_DP_AUX_CHARDEV "
         "(DRM_DP_AUX_CHARDEV on older kernels)";
}

}  // namespace vexa
