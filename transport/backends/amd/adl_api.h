#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string_view>

namespace vexa {

// The entry points of the display library that GfxLibAmd resolves before it starts the
// library.
enum class AdlEntryPoint {
  kMainControlCreate,
  // Resolved because a usable library exports it; never called (the library stays started).
  kMainControlDestroy,
  kAdapterNumberOfAdaptersGet,
  kAdapterAdapterInfoGet,
  kDisplayDisplayInfoGet,
  kAdapterActiveGet,
  kDisplayNativeAuxChannelAccess,
  kDisplayDdcBlockAccessGet,
};

// Releases a block the library allocated through the seam's allocation callback, which takes
// its blocks from the C heap.
struct AdlHeapFree {
  void operator()(uint8_t* block) const { std::free(block); }
};

// A block the library allocated, with the size it asked for: the count the library reports
// beside it is only believed as far as the block reaches.
struct AdlHeapBlock {
  std::unique_ptr<uint8_t, AdlHeapFree> bytes;
  size_t size = 0;
};

// The seam between GfxLibAmd and the vendor's display library: its C entry points, one method
// each, with records and buffers as raw bytes in the library's own layout, so that only the
// backend knows the layouts. Every call returns the library's result code unchanged (0 =
// success). Implementations: the library loaded from the driver's files on Windows
// (CreateSystemAdlApi), a library that is never found elsewhere, and a simulated library for
// tests.
//
// Contract: OpenLibrary, then ResolveEntryPoint for each entry point, then MainControlCreate,
// then the other calls. Calling an entry point that was not resolved is harmless: it fails
// with a non-zero result.
class AdlApi {
 public:
  virtual ~AdlApi() = default;

  // Loads the library file fileName (a file name, looked up where the system finds drivers'
  // libraries); true when it is loaded. Later resolutions use the library loaded last. The
  // library is never unloaded.
  virtual bool OpenLibrary(std::string_view fileName) = 0;

  // True when the loaded library exports the entry point; it is then callable.
  virtual bool ResolveEntryPoint(AdlEntryPoint entryPoint) = 0;

  // ADL_Main_Control_Create: starts the library with the seam's allocation callback;
  // connectedAdaptersOnly 1 limits the enumeration to adapters with a display connected.
  virtual int32_t MainControlCreate(int32_t connectedAdaptersOnly) = 0;

  // ADL_Adapter_NumberOfAdapters_Get: *count receives the number of adapter records.
  virtual int32_t NumberOfAdaptersGet(int32_t* count) = 0;

  // ADL_Adapter_AdapterInfo_Get: fills info, an array of adapter-information records zeroed by
  // the caller; the library is told the array's size in bytes.
  virtual int32_t AdapterInfoGet(std::span<uint8_t> info) = 0;

  // ADL_Adapter_Active_Get: *active receives non-zero for an active adapter.
  virtual int32_t AdapterActiveGet(int32_t adapterIndex, int32_t* active) = 0;

  // ADL_Display_DisplayInfo_Get: *displays receives an array of *count display-information
  // records allocated by the library through the callback, with the size allocated (null and
  // 0 when it allocated nothing); forceDetect 0 reports the displays as the driver knows them.
  virtual int32_t DisplayInfoGet(int32_t adapterIndex, int32_t* count, AdlHeapBlock* displays,
                                 int32_t forceDetect) = 0;

  // ADL_Display_DDCBlockAccess_Get: one I2C transfer on the display's DDC channel. send begins
  // with the 8-bit I2C address (odd for a read); the library then reads reply.size() bytes
  // into reply (none for a write).
  virtual int32_t DdcBlockAccessGet(int32_t adapterIndex, int32_t displayIndex, int32_t option,
                                    int32_t commandIndex, std::span<const uint8_t> send,
                                    std::span<uint8_t> reply) = 0;

  // ADL_Display_NativeAUXChannel_Access: one native AUX request; request is the request
  // record, into which the library writes the reply status and, for a read, the data read.
  virtual int32_t NativeAuxChannelAccess(int32_t adapterIndex, int32_t displayIndex,
                                         std::span<uint8_t> request) = 0;
};

}  // namespace vexa
