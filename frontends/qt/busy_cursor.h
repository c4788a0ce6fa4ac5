#pragma once

#include <QApplication>

namespace vexa::dialog {

// A wait cursor while the user-interface thread is busy (chip queries, detection), for the
// lifetime of this object.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace vexa::dialog
