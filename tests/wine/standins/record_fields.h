#pragma once

#include <cstring>

namespace vexa::standin {

// A field of a driver record at an arbitrary (possibly unaligned) address, in the machine's
// byte order, as the drivers lay their records out.
template <typename T>
void PutField(void* at, T value) {
  std::memcpy(at, &value, sizeof value);
}

template <typename T>
T GetField(const void* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

}  // namespace vexa::standin
