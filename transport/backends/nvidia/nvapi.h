#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vexa {

// Opaque handles the driver hands out; only the layer behind Nvapi gives them meaning.
enum class NvGpuHandle : uintptr_t {};
enum class NvDisplayHandle : uintptr_t {};

// The driver's status values that this code produces or tells apart. Every status is 0 or
// negative.
namespace nvapi_status {
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kError = -1;
inline constexpr int32_t kLibraryNotFound = -2;
// The installed driver lacks the entry point.
inline constexpr int32_t kNoImplementation = -3;
inline constexpr int32_t kApiNotInitialized = -4;
inline constexpr int32_t kInvalidArgument = -5;
inline constexpr int32_t kNoNvidiaAdapter = -6;
inline constexpr int32_t kInvalidHandle = -8;
// A record's version word names a layout the driver does not know.
inline constexpr int32_t kIncompatibleStructVersion = -9;
}  // namespace nvapi_status

// Interface ids by which the driver library's query function resolves each entry point.
namespace nvapi_id {
inline constexpr uint32_t kInitialize = 0x0150E828;
inline constexpr uint32_t kEnumPhysicalGpus = 0xE5AC921F;
inline constexpr uint32_t kGetConnectedDisplayIds = 0x0078DBA2;
inline constexpr uint32_t kGetFullName = 0xCEEE8E9F;
inline constexpr uint32_t kGetDriverAndBranchVersion = 0x2926AAAD;
inline constexpr uint32_t kGetDisplayHandleFromDisplayId = 0x96437923;
inline constexpr uint32_t kGetAssociatedDisplayOutputId = 0xD995937E;
inline constexpr uint32_t kGetConnectorInfo = 0x4ECA2C10;
inline constexpr uint32_t kGetDisplayPortInfo = 0xC64FF367;
inline constexpr uint32_t kQueryDpTopology = 0x086418CD;
inline constexpr uint32_t kDisplayPortAux = 0x8EB56969;
}  // namespace nvapi_id

// Capacity of the GPU handle array the driver fills.
inline constexpr size_t kMaxPhysicalGpus = 64;
// Most connected displays per GPU and most topology nodes per display the backend reads: a
// larger count from the driver is taken as this many, so that a bogus count cannot ask for
// unbounded memory (the driver's own limits are far lower).
inline constexpr uint32_t kMaxConnectedDisplays = 64;
inline constexpr uint32_t kMaxTopologyNodes = 64;

// The NVIDIA driver interface as the NVIDIA backend uses it: one method per entry point, each
// returning the driver's status (nvapi_status). Records travel as raw bytes in the driver's own
// layout, version word included, so that the layer behind this seam sees exactly what the
// driver would. Where an entry point takes an optional array, an empty span passes null.
//
// Initialize must succeed before any other call means anything; until then (or on a machine
// without the driver) every call fails. Not thread-safe: the caller serialises its calls.
class Nvapi {
 public:
  virtual ~Nvapi() = default;

  // Loads the driver library once and initialises it for the calling thread. 0;
  // kLibraryNotFound without the library; kNoNvidiaAdapter without an NVIDIA adapter.
  virtual int32_t Initialize() = 0;

  // Fills gpus with the physical GPUs and *count with how many there are.
  virtual int32_t EnumPhysicalGpus(std::span<NvGpuHandle, kMaxPhysicalGpus> gpus,
                                   uint32_t* count) = 0;

  // With empty records: *count receives the number of connected displays. Otherwise records
  // holds *count 16-byte records whose first carries the version word; the driver fills them
  // and sets *count to the number it filled. flags is passed on unchanged.
  virtual int32_t GetConnectedDisplayIds(NvGpuHandle gpu, std::span<uint8_t> records,
                                         uint32_t* count, uint32_t flags) = 0;

  // The GPU's full name as UTF-8 (the driver's 64-byte string, converted).
  virtual int32_t GetFullName(NvGpuHandle gpu, std::string* name) = 0;

  // The driver version number (the branch string the entry point also returns is dropped).
  virtual int32_t GetDriverAndBranchVersion(uint32_t* version) = 0;

  virtual int32_t GetDisplayHandleFromDisplayId(uint32_t displayId, NvDisplayHandle* display) = 0;
  virtual int32_t GetAssociatedDisplayOutputId(NvDisplayHandle display, uint32_t* outputId) = 0;

  // Fills the 44-byte connector-information record of the GPU output outputId.
  virtual int32_t GetConnectorInfo(NvGpuHandle gpu, uint32_t outputId,
                                   std::span<uint8_t> record) = 0;

  // Fills the 44-byte DisplayPort-information record of the display.
  virtual int32_t GetDisplayPortInfo(NvDisplayHandle display, uint32_t outputId,
                                     std::span<uint8_t> record) = 0;

  // With empty nodes: *count receives the number of DisplayPort topology nodes of the display.
  // Otherwise nodes holds *count 112-byte node records whose first carries the version word.
  virtual int32_t QueryDpTopology(uint32_t displayId, std::span<uint8_t> nodes,
                                  uint32_t* count) = 0;

  // One DisplayPort AUX transaction described by the 104-byte request record, whose size is
  // passed along. The driver writes the reply status and, for reads, the data into the record.
  virtual int32_t DisplayPortAux(NvDisplayHandle display, std::span<uint8_t> request) = 0;
};

}  // namespace vexa
