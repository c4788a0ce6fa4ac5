#include "testing/fake_drm_tree.h"

#include <fstream>

namespace vexa::testing {

namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kDpcdMapSize = 1u << 20;

void Link(const fs::path& target, const fs::path& link) {
  fs::create_directories(link.parent_path());
  fs::create_directory_symlink(target, link);
}

}  // namespace

FakeDrmTree::FakeDrmTree(fs::path root)
    : root_(std::move(root)), sys_(root_ / "sys"), dev_(root_ / "dev") {
  fs::create_directories(sys_ / "class/drm_dp_aux_dev");
  fs::create_directories(sys_ / "class/drm");
  fs::create_directories(sys_ / "bus/i2c/devices");
  fs::create_directories(dev_);
}

fs::path FakeDrmTree::CardDir(const std::string& card) const {
  return sys_ / "devices/pci0000:00/0000:00:02.0/drm" / card;
}

void FakeDrmTree::AddCard(const std::string& card, const std::string& driver) {
  const fs::path pciDevice = CardDir(card).parent_path().parent_path();
  fs::create_directories(CardDir(card));
  fs::create_directories(sys_ / "bus/pci/drivers" / driver);
  Link(sys_ / "bus/pci/drivers" / driver, pciDevice / "driver");
  Link(pciDevice, CardDir(card) / "device");
  Link(CardDir(card), sys_ / "class/drm" / card);
}

void FakeDrmTree::AddConnector(const FakeConnector& connector) {
  const std::string connectorName = connector.card + "-" + connector.name;
  const fs::path connectorDir = CardDir(connector.card) / connectorName;
  const std::string aux = "drm_dp_aux" + std::to_string(connector.auxIndex);
  const fs::path auxDir = connectorDir / "drm_dp_aux_dev" / aux;
  fs::create_directories(auxDir);
  std::ofstream(auxDir / "name") << connector.auxName << "\n";
  // The kernel's links are relative: device points from the node back to its connector.
  Link("../../../" + connectorName, auxDir / "device");
  Link(auxDir, sys_ / "class/drm_dp_aux_dev" / aux);
  if (connector.auxNode) {
    std::ofstream(dev_ / aux, std::ios::binary).close();
    fs::resize_file(dev_ / aux, kDpcdMapSize);
  }
  if (connector.i2cBus) {
    const std::string i2c = "i2c-" + std::to_string(*connector.i2cBus);
    fs::create_directories(connectorDir / i2c);
    std::ofstream(connectorDir / i2c / "name") << aux << "\n";
    Link(connectorDir / i2c, sys_ / "bus/i2c/devices" / i2c);
    if (connector.i2cNode) std::ofstream(dev_ / i2c).close();
  }
}

void FakeDrmTree::LoadNvidiaModule() {
  fs::create_directories(sys_ / "module/nvidia");
}

LinuxRoots FakeDrmTree::roots() const {
  return {sys_.string(), dev_.string()};
}

std::string FakeDrmTree::DevPath(const std::string& node) const {
  return (dev_ / node).string();
}

}  // namespace vexa::testing
