#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vexa {

// Where the backend finds the kernel's device tree and device nodes. Tests, containers and
// chroots move them with VEXA_SYSFS_ROOT and VEXA_DEV_ROOT.
struct LinuxRoots {
  std::string sysfs = "/sys";
  std::string dev = "/dev";
};

// The roots, each taken from its environment variable when that is set and not empty.
LinuxRoots RootsFromEnvironment();

// The operating-system calls of the backend, so tests can serve them from a fake tree. Calls
// that the kernel can fail return the result or the negated errno, never touching errno.
class LinuxSystem {
 public:
  virtual ~LinuxSystem() = default;

  // Opens path for reading and writing; the descriptor or -errno.
  virtual int Open(const std::string& path) = 0;
  virtual void Close(int fd) = 0;
  // Byte counts moved, or -errno. The offset of a DP AUX node is the DPCD address.
  virtual long Pread(int fd, uint8_t* out, size_t count, uint32_t offset) = 0;
  virtual long Pwrite(int fd, const uint8_t* data, size_t count, uint32_t offset) = 0;
  virtual long Read(int fd, uint8_t* out, size_t count) = 0;
  virtual long Write(int fd, const uint8_t* data, size_t count) = 0;
  // 0 (or the request's non-negative result), or -errno.
  virtual int Ioctl(int fd, unsigned long request, void* arg) = 0;

  // The target of a symbolic link; empty when path is none.
  virtual std::string ReadLink(const std::string& path) = 0;
  // The entry names of a directory, sorted; empty when it cannot be read.
  virtual std::vector<std::string> ListDirectory(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
};

// The calls of this machine.
class PosixLinuxSystem : public LinuxSystem {
 public:
  int Open(const std::string& path) override;
  void Close(int fd) override;
  long Pread(int fd, uint8_t* out, size_t count, uint32_t offset) override;
  long Pwrite(int fd, const uint8_t* data, size_t count, uint32_t offset) override;
  long Read(int fd, uint8_t* out, size_t count) override;
  long Write(int fd, const uint8_t* data, size_t count) override;
  int Ioctl(int fd, unsigned long request, void* arg) override;
  std::string ReadLink(const std::string& path) override;
  std::vector<std::string> ListDirectory(const std::string& path) override;
  bool Exists(const std::string& path) override;
};

}  // namespace vexa
