#include "frontends/model/configured_rows.h"

namespace vexa::ui {

void ConfigureHostRowWhenNoneIs(Configuration& config) {
  if (config.settings.fwFileCount != 0) return;
  config.settings.fwFileCount = 1;
  // One blank, built by count: GCC 12 warns falsely on assigning a short literal here.
  config.fwFilePath[kHostTarget].assign(1, ' ');
}

RowMoves MovesOfConfiguredRows(const Configuration& config) {
  const TargetPaths& path = config.fwFilePath;
  switch (config.settings.fwFileCount) {
    case 1:
      // The one configured row, whichever it is, takes the host row's place.
      return {std::nullopt, 0, 0};
    case 2:
      if (path[0].empty()) return {std::nullopt, 0, 1};
      if (path[1].empty()) return {std::nullopt, std::nullopt, 1};
      if (path[2].empty()) return {std::nullopt, 1, std::nullopt};
      break;
    default:
      break;
  }
  return {};
}

}  // namespace vexa::ui
