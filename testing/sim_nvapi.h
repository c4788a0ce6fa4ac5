#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/board.h"
#include "transport/backends/nvidia/nvapi.h"
#include "util/clock.h"

namespace vexa {

// One node of a simulated display's DisplayPort topology.
struct SimNvTopologyNode {
  std::array<uint8_t, 64> pathBlock{};
  int32_t nodeType = 0;
};

// A display a simulated GPU reports as connected. Each *Status field is what the entry point
// of that name answers for this display; 0 lets it succeed.
struct SimNvDisplay {
  uint32_t displayId = 0;
  bool physicallyConnected = true;
  // All of them count; the connector-information record has room for the first four.
  std::vector<uint32_t> connectorTypes{0x46};
  bool displayPort = true;
  // AUX requests to an MST root must carry its first topology node's path block, those to any
  // other display a zero one; a request with another path block is not acknowledged.
  bool mstRoot = false;
  std::vector<SimNvTopologyNode> topology;
  // The board on the display's AUX channel; without one no request is acknowledged.
  sim::Board* board = nullptr;
  int32_t displayHandleStatus = 0;
  int32_t outputIdStatus = 0;
  int32_t connectorInfoStatus = 0;
  int32_t displayPortInfoStatus = 0;
  int32_t topologyCountStatus = 0;
  int32_t topologyNodesStatus = 0;
};

struct SimNvGpu {
  std::string fullName = "Simulated GPU";
  std::vector<SimNvDisplay> displays;
  // The connected-display count query, and the query that fetches the records.
  int32_t displayCountStatus = 0;
  int32_t displayIdsStatus = 0;
  // Set: the count the count query reports instead of the number of displays.
  std::optional<uint32_t> claimedDisplayCount{};
  int32_t fullNameStatus = 0;
};

// The simulated driver: its GPUs and what its global entry points answer.
struct SimNvDriver {
  int32_t initializeStatus = 0;
  int32_t enumGpusStatus = 0;
  uint32_t driverVersion = 53112;
  int32_t driverVersionStatus = 0;
  // Every AUX call answers this when non-zero (kNoImplementation: a driver without the call).
  int32_t auxStatus = 0;
  std::vector<SimNvGpu> gpus;
};

// An answer the simulated driver gives one AUX request instead of passing it to the board.
struct SimNvAuxAnswer {
  int32_t status = 0;
  uint32_t replyStatus = 0;
  // Bytes a read returns (as many as the request asked for at most).
  std::vector<uint8_t> data;
};

// One AUX request as the simulated driver decoded it from its record.
struct SimNvAuxCall {
  // Clock time of the call.
  std::chrono::microseconds at{};
  uint32_t displayId = 0;
  uint32_t operation = 0;
  uint32_t address = 0;
  // The bytes written, or those the read returned; as many as the request's length.
  std::vector<uint8_t> data;
};

// A simulated NVIDIA driver for tests: it decodes every record from its raw bytes with a layout
// table of its own (never the backend's, so that a layout mistake on either side shows),
// refuses records whose size or version word is wrong, and serves the AUX requests of each
// display from that display's simulated board. I2C transactions that a request leaves open
// continue with the next request of the same direction to the same address, as on the wire.
// Every request that reaches a board costs the board's AUX latency, as the board charges it.
class SimNvapi final : public Nvapi {
 public:
  SimNvapi(SimNvDriver driver, Clock& clock) : driver_(std::move(driver)), clock_(clock) {}

  // The next AUX requests get these answers, in order, without reaching a board.
  void QueueAuxAnswers(const std::vector<SimNvAuxAnswer>& answers);
  // From now on every AUX request the driver answers gets a length field of `length` (1 to
  // 16) written back, as a driver that reports another data length than the one asked for.
  void WriteBackAuxLength(uint32_t length) { writtenBackLength_ = length; }
  // Every AUX request that passed the record checks, in order.
  const std::vector<SimNvAuxCall>& auxCalls() const { return auxCalls_; }
  // The configuration, which tests may change between calls.
  SimNvDriver& driver() { return driver_; }

  int32_t Initialize() override;
  int32_t EnumPhysicalGpus(std::span<NvGpuHandle, kMaxPhysicalGpus> gpus, uint32_t* count) override;
  int32_t GetConnectedDisplayIds(NvGpuHandle gpu, std::span<uint8_t> records, uint32_t* count,
                                 uint32_t flags) override;
  int32_t GetFullName(NvGpuHandle gpu, std::string* name) override;
  int32_t GetDriverAndBranchVersion(uint32_t* version) override;
  int32_t GetDisplayHandleFromDisplayId(uint32_t displayId, NvDisplayHandle* display) override;
  int32_t GetAssociatedDisplayOutputId(NvDisplayHandle display, uint32_t* outputId) override;
  int32_t GetConnectorInfo(NvGpuHandle gpu, uint32_t outputId, std::span<uint8_t> record) override;
  int32_t GetDisplayPortInfo(NvDisplayHandle display, uint32_t outputId,
                             std::span<uint8_t> record) override;
  int32_t QueryDpTopology(uint32_t displayId, std::span<uint8_t> nodes, uint32_t* count) override;
  int32_t DisplayPortAux(NvDisplayHandle display, std::span<uint8_t> request) override;

 private:
  struct DisplayPlace {
    size_t gpu = 0;
    size_t display = 0;
  };
  struct OpenI2c {
    uint8_t address = 0;
    bool reading = false;
  };

  SimNvGpu* GpuOf(NvGpuHandle gpu);
  // Where a handle or a display id leads; false when nowhere.
  bool Find(NvDisplayHandle handle, DisplayPlace* place) const;
  bool Find(uint32_t displayId, DisplayPlace* place) const;
  SimNvDisplay& At(const DisplayPlace& place) {
    return driver_.gpus[place.gpu].displays[place.display];
  }
  // Runs one decoded request on the display's board; the reply status, or a driver status
  // (negative) when the board's transport failed.
  int32_t Transact(SimNvDisplay& display, uint32_t operation, uint32_t address,
                   std::span<uint8_t> data, std::span<const uint8_t> pathBlock, uint32_t* reply);

  SimNvDriver driver_;
  Clock& clock_;
  bool initialized_ = false;
  std::deque<SimNvAuxAnswer> queuedAnswers_;
  std::optional<uint32_t> writtenBackLength_;
  std::vector<SimNvAuxCall> auxCalls_;
  // The I2C transaction each display (by id) holds open.
  std::map<uint32_t, OpenI2c> openI2c_;
};

}  // namespace vexa
