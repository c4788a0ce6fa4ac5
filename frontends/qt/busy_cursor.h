#pragma once

#include <QApplication>

namespace vexa::dialog {

// A wait cursor while a detection or version query runs on a worker, for the lifetime of this
// object.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace vexa::dialog
