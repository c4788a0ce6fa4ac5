#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vexa {

// A data GUID, which names the layout of a request record, in a Windows GUID's field order.
struct CuiGuid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};

  friend bool operator==(const CuiGuid&, const CuiGuid&) = default;
};

// A graphics adapter of the system's display-device enumeration.
struct DisplayAdapter {
  // Names the adapter to the driver's display enumeration.
  std::string deviceName;
  // The adapter's description, shown to the user.
  std::string deviceString;
};

// One display the driver reports on an adapter.
struct DriverDisplay {
  uint32_t id = 0;
  // The driver's display type code (see DisplayTypeName).
  uint32_t type = 0;
  uint32_t statusFlags = 0;
};

// Status flag of a display that has a device attached.
inline constexpr uint32_t kDisplayAttachedFlag = 0x2;

// The Intel graphics driver's automation object and the system's display-device enumeration:
// everything GfxLibIntel needs from the platform, and no more. Open starts the object's use on
// the calling thread; the display enumeration and the device-data calls work only while open.
// Text is UTF-8.
class CuiDriver {
 public:
  virtual ~CuiDriver() = default;

  // Starts COM for the calling thread and creates the driver object. A driver that is still
  // open is closed first. True when the object exists; on false nothing stays open.
  virtual bool Open() = 0;
  // Releases the driver object and ends the COM use begun by Open. Called on another thread
  // than the one that opened the driver, it only forgets the object: that thread's object and
  // COM use are not this thread's to end.
  virtual void Close() = 0;

  // The adapter at index of the system's enumeration; nullopt past the last one. Needs no
  // driver object.
  virtual std::optional<DisplayAdapter> EnumAdapter(uint32_t index) = 0;
  // The display at index on the adapter named adapterDeviceName; nullopt past the last one.
  virtual std::optional<DriverDisplay> EnumDisplay(const std::string& adapterDeviceName,
                                                   uint32_t index) = 0;

  // Hands one request record to the driver with the GUID naming its layout: a read fills the
  // record's data, a write sends it. *errorWord holds the caller's preset and receives the
  // driver's error word (0 = done). Returns the call's HRESULT (negative = the call failed).
  virtual int32_t ReadDeviceData(const CuiGuid& guid, std::span<uint8_t> record,
                                 uint32_t* errorWord) = 0;
  virtual int32_t WriteDeviceData(const CuiGuid& guid, std::span<uint8_t> record,
                                  uint32_t* errorWord) = 0;
};

}  // namespace vexa
