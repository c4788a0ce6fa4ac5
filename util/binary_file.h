#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace vexa {

// The whole content of a file; empty when it cannot be opened or read.
std::optional<std::vector<uint8_t>> ReadBinaryFile(const std::filesystem::path& path);

// Creates or replaces path with bytes. False when it cannot be written.
bool WriteBinaryFile(const std::filesystem::path& path, std::span<const uint8_t> bytes);

}  // namespace vexa
