#pragma once

#include <windows.h>

namespace vexa::win32 {

// A wait cursor while the user-interface thread is busy (chip queries, detection), for the
// lifetime of this object.
class BusyCursor {
 public:
  BusyCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
  ~BusyCursor() { SetCursor(previous_); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  HCURSOR previous_;
};

}  // namespace vexa::win32
