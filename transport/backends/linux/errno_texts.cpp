#include "transport/backends/linux/errno_texts.h"

#include <cerrno>

namespace vexa {

namespace {

struct ErrnoText {
  int error;
  const char* name;
  const char* meaning;
};

// The errors the kernel's AUX and I2C-over-AUX paths give, with what each means there.
constexpr ErrnoText kTexts[] = {
    {EIO, "EIO", "no answer (NACK, or the sink kept deferring)"},
    {EPROTO, "EPROTO", "short acknowledge"},
    {ETIMEDOUT, "ETIMEDOUT", "timed out"},
    {EBUSY, "EBUSY", "the link is powered down"},
    {ENODEV, "ENODEV", "the device is gone"},
    {EREMOTEIO, "EREMOTEIO", "no answer (I2C NACK)"},
    {EACCES, "EACCES", "permission denied"},
    {EPERM, "EPERM", "operation not permitted"},
    {ENOENT, "ENOENT", "no such device node"},
    {EINVAL, "EINVAL", "invalid argument"},
    {ENXIO, "ENXIO", "no such device"},
    {EAGAIN, "EAGAIN", "try again"},
    {ENOTTY, "ENOTTY", "not an I2C device"},
};

const ErrnoText* Find(int error) {
  for (const ErrnoText& text : kTexts) {
    if (text.error == error) return &text;
  }
  return nullptr;
}

}  // namespace

std::string ErrnoName(int error) {
  const ErrnoText* text = Find(error);
  return text != nullptr ? text->name : "errno " + std::to_string(error);
}

std::string TransferFailure(int error) {
  const ErrnoText* text = Find(error);
  return text != nullptr ? text->meaning : "failed";
}

std::string OpenFailure(const std::string& node, int error, bool isI2cNode) {
  const std::string cause = " (" + ErrnoName(error) + ")";
  if (error == EACCES || error == EPERM) {
    return "Cannot open " + node + ": permission denied" + cause +
           "; the udev rule 60-vexaisp.rules gives the video group access";
  }
  if (error == ENOENT && isI2cNode) {
    return node + " does not exist" + cause + ": load the i2c-dev module (modprobe i2c-dev)";
  }
  if (error == ENOENT) return node + " does not exist" + cause;
  return "Cannot open " + node + ": " + TransferFailure(error) + cause;
}

}  // namespace vexa
