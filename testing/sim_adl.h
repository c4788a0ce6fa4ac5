#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "sim/board.h"
#include "transport/backends/amd/adl_api.h"
#include "util/clock.h"

namespace vexa {

// One display of a simulated adapter.
struct SimAdlDisplay {
  int32_t logicalIndex = 0;
  // The library's connector type: 15 DisplayPort, 16 embedded DisplayPort, 10 HDMI, ...
  int32_t connectorType = 15;
  // Display information flags: 1 connected, 2 mapped.
  int32_t flags = 3;
  // The board on the display's AUX channel; null when nothing answers there.
  sim::Board* board = nullptr;
};

// One adapter of the simulated library.
struct SimAdlAdapter {
  int32_t adapterIndex = 0;
  std::string name{};
  bool active = true;
  // Non-zero: asking whether the adapter is active fails with this result.
  int32_t activeResult = 0;
  // Non-zero: asking for the adapter's displays fails with this result.
  int32_t displayInfoResult = 0;
  // Set: the display count the library reports instead of the number of records it allocated.
  std::optional<int32_t> claimedDisplayCount{};
  std::vector<SimAdlDisplay> displays{};
};

// The machine as the simulated library shows it.
struct SimAdlMachine {
  // The library files that load.
  std::set<std::string> libraryFiles = {"atiadlxx.dll"};
  std::set<AdlEntryPoint> missingEntryPoints;
  int32_t createResult = 0;
  // Non-zero: asking for the number of adapters fails with this result.
  int32_t adapterCountResult = 0;
  std::vector<SimAdlAdapter> adapters;
};

enum class SimAdlCallKind { kDdcWrite, kDdcRead, kNativeWrite, kNativeRead };

// One transfer as the library received it, decoded from its raw bytes.
struct SimAdlCall {
  SimAdlCallKind kind = SimAdlCallKind::kDdcWrite;
  int32_t adapterIndex = 0;
  int32_t displayIndex = 0;
  // DDC: the 8-bit I2C address as sent (odd for a read); native: the DPCD address.
  uint32_t address = 0;
  // Bytes written, or bytes read (none when the read failed).
  std::vector<uint8_t> bytes;
  // Bytes written or asked for.
  int32_t length = 0;
  // Time on the clock when the library received the call.
  std::chrono::microseconds at{};
};

// The vendor's display library, simulated: decodes every request record and buffer from its
// raw bytes in the library's layout, rejects malformed ones, and serves DDC and native AUX
// transfers from the board on the display addressed. A DDC block access is one I2C transfer;
// the device keeps a reply going across reads until all of its bytes (as its length byte
// counts them) are read or something is written. Faults can be queued for the next calls.
class SimAdl final : public AdlApi {
 public:
  // The call failed: nothing answered on the display, the transport failed, or the adapter or
  // display does not exist, or the library was not resolved and started first.
  static constexpr int32_t kFailed = -1;
  // The arguments or the request record are malformed.
  static constexpr int32_t kBadRequest = -3;
  // Native reply status when nothing answered the request.
  static constexpr int32_t kNackReplyStatus = 2;

  // clock stamps the calls; it outlives the library, as do the displays' boards.
  SimAdl(SimAdlMachine machine, Clock& clock) : machine_(std::move(machine)), clock_(clock) {}

  // The next `count` DDC block accesses fail with `result` without reaching the board.
  void FailDdcAccesses(int count, int32_t result);
  // The next `count` DDC block accesses are served as usual: queued before a fault, they
  // place it further on.
  void LetDdcAccessesThrough(int count);
  // The next `count` native requests are answered with `replyStatus` (9: deferred) without
  // reaching the board.
  void AnswerNativeRequests(int count, int32_t replyStatus);
  // The next `count` native requests fail with the call result `result`.
  void FailNativeCalls(int count, int32_t result);
  // From now on every native request the library answers gets `length` written into its
  // length field, as a library that reports another data length than the one asked for.
  void WriteBackNativeLength(int32_t length) { writtenBackLength_ = length; }

  // Transfers since construction or the last ClearCalls.
  const std::vector<SimAdlCall>& calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  // The file the last OpenLibrary loaded; empty before.
  const std::string& loadedLibrary() const { return loadedLibrary_; }
  // The argument of the last successful MainControlCreate; empty before.
  std::optional<int32_t> connectedAdaptersOnly() const { return connectedAdaptersOnly_; }

  bool OpenLibrary(std::string_view fileName) override;
  bool ResolveEntryPoint(AdlEntryPoint entryPoint) override;
  int32_t MainControlCreate(int32_t connectedAdaptersOnly) override;
  int32_t NumberOfAdaptersGet(int32_t* count) override;
  int32_t AdapterInfoGet(std::span<uint8_t> info) override;
  int32_t AdapterActiveGet(int32_t adapterIndex, int32_t* active) override;
  int32_t DisplayInfoGet(int32_t adapterIndex, int32_t* count, AdlHeapBlock* displays,
                         int32_t forceDetect) override;
  int32_t DdcBlockAccessGet(int32_t adapterIndex, int32_t displayIndex, int32_t option,
                            int32_t commandIndex, std::span<const uint8_t> send,
                            std::span<uint8_t> reply) override;
  int32_t NativeAuxChannelAccess(int32_t adapterIndex, int32_t displayIndex,
                                 std::span<uint8_t> request) override;

 private:
  // A native call's result and, when it is 0, the reply status written into the request.
  struct NativeOutcome {
    int32_t result = 0;
    int32_t replyStatus = 0;
  };

  // The reply a device is sending across DDC reads.
  struct ReplyInProgress {
    const sim::Board* board = nullptr;
    uint8_t address = 0;
    size_t bytesRead = 0;
    // Unknown until the length byte has been read.
    size_t totalBytes = SIZE_MAX;
  };

  // The entry point was resolved and, but for MainControlCreate itself, the library started.
  bool IsCallable(AdlEntryPoint entryPoint) const;
  const SimAdlAdapter* FindAdapter(int32_t adapterIndex) const;
  // Null when the adapter or display does not exist.
  const SimAdlDisplay* FindDisplay(int32_t adapterIndex, int32_t displayIndex) const;

  int32_t ServeDdcWrite(sim::Board* board, uint8_t i2cAddr, std::span<const uint8_t> bytes);
  int32_t ServeDdcRead(sim::Board* board, uint8_t i2cAddr, std::span<uint8_t> out);
  // Learns the reply's length from its length byte as the bytes come by.
  void TrackReply(std::span<const uint8_t> read);
  NativeOutcome ServeNative(sim::Board* board, bool isWrite, uint32_t dpcdAddr,
                            std::span<uint8_t> data);

  SimAdlMachine machine_;
  Clock& clock_;
  std::string loadedLibrary_;
  std::set<AdlEntryPoint> resolved_;
  std::optional<int32_t> connectedAdaptersOnly_;
  // Queued outcomes of DDC block accesses; empty entries are served by the board.
  std::deque<std::optional<int32_t>> ddcFaults_;
  std::deque<NativeOutcome> nativeFaults_;
  std::optional<int32_t> writtenBackLength_;
  std::optional<ReplyInProgress> reply_;
  std::vector<SimAdlCall> calls_;
};

}  // namespace vexa
