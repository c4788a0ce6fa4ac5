#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "transport/backends/linux/i2c_dev_abi.h"
#include "transport/backends/linux/linux_system.h"

namespace vexa {

// The backend's own copy of the i2c-dev interface must match the kernel's.
static_assert(i2c_abi::kRdwr == I2C_RDWR && i2c_abi::kSlave == I2C_SLAVE);
static_assert(i2c_abi::kMessageRead == I2C_M_RD);
static_assert(sizeof(i2c_abi::Message) == sizeof(i2c_msg));
static_assert(sizeof(i2c_abi::RdwrData) == sizeof(i2c_rdwr_ioctl_data));

namespace {

// Repeats a call that a signal interrupted; the result, or -errno.
template <typename Call>
long Retrying(Call call) {
  for (;;) {
    const long result = call();
    if (result >= 0) return result;
    if (errno != EINTR) return -errno;
  }
}

std::string Environment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

}  // namespace

LinuxRoots RootsFromEnvironment() {
  return {Environment("VEXA_SYSFS_ROOT", "/sys"), Environment("VEXA_DEV_ROOT", "/dev")};
}

int PosixLinuxSystem::Open(const std::string& path) {
  return static_cast<int>(Retrying([&] { return ::open(path.c_str(), O_RDWR | O_CLOEXEC); }));
}

void PosixLinuxSystem::Close(int fd) {
  ::close(fd);
}

long PosixLinuxSystem::Pread(int fd, uint8_t* out, size_t count, uint32_t offset) {
  return Retrying([&] { return ::pread(fd, out, count, static_cast<off_t>(offset)); });
}

long PosixLinuxSystem::Pwrite(int fd, const uint8_t* data, size_t count, uint32_t offset) {
  return Retrying([&] { return ::pwrite(fd, data, count, static_cast<off_t>(offset)); });
}

long PosixLinuxSystem::Read(int fd, uint8_t* out, size_t count) {
  return Retrying([&] { return ::read(fd, out, count); });
}

long PosixLinuxSystem::Write(int fd, const uint8_t* data, size_t count) {
  return Retrying([&] { return ::write(fd, data, count); });
}

int PosixLinuxSystem::Ioctl(int fd, unsigned long request, void* arg) {
  return static_cast<int>(Retrying([&] { return ::ioctl(fd, request, arg); }));
}

std::string PosixLinuxSystem::ReadLink(const std::string& path) {
  std::error_code error;
  return std::filesystem::read_symlink(path, error).string();
}

std::vector<std::string> PosixLinuxSystem::ListDirectory(const std::string& path) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool PosixLinuxSystem::Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

}  // namespace vexa
