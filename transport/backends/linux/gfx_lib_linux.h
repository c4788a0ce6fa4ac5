#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "transport/backends/linux/aux_ports.h"
#include "transport/backends/linux/linux_system.h"
#include "transport/error_record.h"
#include "transport/gfx_lib.h"
#include "transport/probe_port.h"
#include "util/clock.h"

namespace vexa {

// The GfxLib of the Linux kernel's DRM drivers: native AUX through the connector's DP AUX
// device node (pread and pwrite at the DPCD address), I2C-over-AUX through the connector's I2C
// adapter node with the I2C_RDWR request (or I2C_SLAVE with plain read and write, where a
// driver refuses I2C_RDWR). The port scan probes every connector that has an AUX node.
//
// The error record describes the last transaction (its code is reset when one begins). Its code
// is the errno of the failing call, or one of the backend's own negative codes below; its text
// names the transfer, the node and the errno.
class GfxLibLinux final : public GfxLib {
 public:
  static constexpr int32_t kShortTransferCode = -1;
  static constexpr int32_t kOutOfRangeCode = -2;
  static constexpr int32_t kNoAuxDeviceCode = -3;
  static constexpr int32_t kNoI2cAdapterCode = -4;
  // DPCD addresses the AUX node reaches: the kernel does not check ranges itself.
  static constexpr uint32_t kDpcdSize = 1u << 20;

  // Over system calls the caller keeps alive (tests).
  GfxLibLinux(LinuxSystem& system, LinuxRoots roots, Clock& clock, const ChipProbe& probe)
      : system_(system), roots_(std::move(roots)), clock_(clock), probe_(probe) {}
  // Over system calls the backend owns (this machine's, from the registry).
  GfxLibLinux(std::unique_ptr<LinuxSystem> system, LinuxRoots roots, Clock& clock,
              const ChipProbe& probe)
      : ownedSystem_(std::move(system)),
        system_(*ownedSystem_),
        roots_(std::move(roots)),
        clock_(clock),
        probe_(probe) {}
  ~GfxLibLinux() override { Uninitialize(); }
  GfxLibLinux(const GfxLibLinux&) = delete;
  GfxLibLinux& operator=(const GfxLibLinux&) = delete;

  // Lists the AUX nodes; fails (6) with a text saying why when there are none.
  int32_t Initialize() override;
  // Closes the open device nodes; the selected port is kept and its nodes reopen on demand.
  void Uninitialize() override;
  // A preset *displayId restricts the scan to the port with that id.
  int32_t ScanPorts(int32_t probeMode, uint32_t* displayId, uint8_t ddcAddr,
                    std::string* report) override;
  int32_t DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) override;
  int32_t DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) override;
  int32_t NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) override;
  int32_t NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) override;
  void ClearError() override { record_.Clear(); }
  int32_t GetErrorCode() override { return record_.code(); }
  std::string GetErrorText() override { return record_.text(); }
  std::string GetVendorName() override { return "Linux DRM"; }
  std::string GetAdapterName() override { return adapterName_; }
  std::string GetDriverVersion() override { return {}; }
  std::string GetPortType() override { return portType_; }
  std::string GetPortStatus() override { return {}; }

 private:
  // An open device node of the current port; -1 while closed.
  struct Node {
    int fd = -1;
    std::string path;
  };

  // Opens node (when closed) at path; false with the failure recorded.
  bool OpenNode(Node& node, const std::string& path, bool isI2cNode);
  void CloseNode(Node& node);
  // Makes port current, closing the nodes of the one before.
  void SelectPort(const AuxPort& port);
  // The current port's AUX node, open; null with the failure recorded.
  Node* AuxNode();
  // The current port's I2C node, open; null with the failure recorded.
  Node* I2cNode();

  // One native AUX chunk (read when out is set, else write of data).
  int32_t TransferDpcd(uint32_t address, uint8_t* out, const uint8_t* data, int32_t length);
  // One I2C transaction (one message) at the 8-bit address ddcAddr: a write of data, or a read
  // into out; through I2C_RDWR, or I2C_SLAVE with read/write once a driver refused that.
  int32_t TransferI2c(uint8_t ddcAddr, uint8_t* out, const uint8_t* data, int32_t length);
  long I2cThroughSlave(Node& node, uint8_t ddcAddr, uint8_t* out, const uint8_t* data,
                       int32_t length);

  // Records a failed call as "<what> on <node>: <meaning> (<ERRNO>)" with the errno as the
  // code; a call that moved fewer bytes than asked is a failure too.
  int32_t CheckCount(long result, int32_t length, const std::string& what, const Node& node);

  // Makes port current and probes it, ending its report line with the outcome.
  int32_t CheckPort(const AuxPort& port, uint8_t ddcAddr, std::string& report);

  std::unique_ptr<LinuxSystem> ownedSystem_;
  LinuxSystem& system_;
  LinuxRoots roots_;
  Clock& clock_;
  const ChipProbe& probe_;
  ErrorRecord record_;
  int32_t probeMode_ = static_cast<int32_t>(ProbeMode::kDdc2biQuery);
  std::vector<AuxPort> ports_;
  std::optional<AuxPort> current_;
  Node aux_;
  Node i2c_;
  // Set once the I2C node refused I2C_RDWR with EINVAL; reset with the port.
  bool i2cSlaveFallback_ = false;
  // The reply of one DdcAuxRead, read whole, and how much of it the framing has taken.
  std::array<uint8_t, kMaxDdcReplySize> reply_{};
  int32_t replyTaken_ = 0;
  std::string adapterName_;
  std::string portType_;
};

}  // namespace vexa
