#pragma once

#include "frontends/cli/cli_options.h"

namespace vexa::cli {

// Each returns the process exit code (see exit_codes.h).
int RunDetect(const CliOptions& options);
int RunVersions(const CliOptions& options);
int RunUpdate(const CliOptions& options);
int RunInspect(const CliOptions& options);

}  // namespace vexa::cli
