#pragma once

#include <string>

namespace vexa {

// The errno's symbolic name ("EIO"), or "errno N" for one the backend does not name.
std::string ErrnoName(int error);

// What an errno of a DP AUX or I2C-over-AUX transfer means, e.g. "no answer (NACK, or the
// sink kept deferring)".
std::string TransferFailure(int error);

// Why a device node could not be opened, naming the node: a permission error names the udev
// rule that grants access, a missing I2C node the module that creates it.
std::string OpenFailure(const std::string& node, int error, bool isI2cNode);

}  // namespace vexa
