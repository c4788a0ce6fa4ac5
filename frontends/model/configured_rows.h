#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "app/configuration.h"

namespace vexa::ui {

// With no firmware path configured, the host row stands in as configured: fwFileCount becomes
// 1 and the host path one blank, which names no file, so the file panel shows it red and
// keeps "Start" disabled until a file is chosen.
void ConfigureHostRowWhenNoneIs(Configuration& config);

// The file and device panels close the gaps left by targets without a firmware path: per
// target row, the row position it moves up to (0 the host row's, 1 the Port#1 row's), or
// nothing when it stays where the template put it.
using RowMoves = std::array<std::optional<size_t>, kTargetCount>;
RowMoves MovesOfConfiguredRows(const Configuration& config);

}  // namespace vexa::ui
